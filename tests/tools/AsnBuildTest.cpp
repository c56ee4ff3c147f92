// SPDX-License-Identifier: GPL-3.0-or-later
// build --edition 9|21: organisation databases from the four-column CSV and
// from MMDB ASN databases, what they answer and which rows stop them.

#include "MmdbTestWriter.h"
#include "ToolRunner.h"
#include "geoip/AsnDatabase.h"
#include "geoip/IPv6Text.h"
#include "geoip/TGeoIP.h"

#include <gtest/gtest.h>

namespace orvanta::dbtool::test {
namespace {

std::string Org(const std::string& db, const std::string& address) {
    const bool ipv6 = address.find(':') != std::string::npos;
    const geoip::AddressValue value =
        ipv6 ? *geoip::ParseIPv6Address(address) : geoip::TGeoIP::AddressToNumber(address);
    return geoip::AsnDatabase(db, ipv6 ? 128 : 32).Lookup(value).value_or("-");
}

bool Has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

TEST(AsnBuildTest, Ipv4CsvNarrowerRangeWinsAndTextsAreStoredOnce) {
    TempFolder folder;
    const std::string csv =
        folder.Write("asn-ipv4.csv", "ip_range_start,ip_range_end,autonomous_system_number,"
                                     "autonomous_system_organization\n"
                                     "8.0.0.0,8.255.255.255,3356,\"Level 3 Communications, Inc.\"\n"
                                     "8.8.8.0,8.8.8.255,15169,Google LLC\r\n"
                                     "9.0.0.0,9.0.0.255,15169,Google LLC\n"
                                     "10.0.0.0,10.0.0.0,64512,\"M\xC3\xBCnchen \"\"Netz\"\"\"\n"
                                     "11.0.0.0,11.0.0.255,7,\n");
    const std::string db = folder.File("GeoIPASNum.dat");
    const ToolResult result = RunTool({"build", "--csv", csv, "-o", db, "--edition", "9"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_TRUE(Has(result.out, "ranges read: 5\n")) << result.out;
    EXPECT_TRUE(Has(result.out, "distinct texts: 4\n")) << result.out;
    EXPECT_TRUE(Has(result.out, "file size: " + std::to_string(ReadFile(db).size()) + " bytes\n"));
    EXPECT_EQ(Org(db, "8.8.8.8"), "AS15169 Google LLC");
    EXPECT_EQ(Org(db, "8.8.7.255"), "AS3356 Level 3 Communications, Inc.");
    EXPECT_EQ(Org(db, "8.8.9.0"), "AS3356 Level 3 Communications, Inc.");
    EXPECT_EQ(Org(db, "9.0.0.1"), "AS15169 Google LLC");
    EXPECT_EQ(Org(db, "10.0.0.0"), "AS64512 M\xC3\xBCnchen \"Netz\"");
    EXPECT_EQ(Org(db, "11.0.0.1"), "AS7");
    EXPECT_EQ(Org(db, "10.0.0.1"), "-");
    EXPECT_EQ(geoip::TGeoIP(db).edition(), 9);
}

TEST(AsnBuildTest, Ipv6Csv) {
    TempFolder folder;
    const std::string csv =
        folder.Write("asn-ipv6.csv", "2001:4860::,2001:4860:ffff:ffff:ffff:ffff:ffff:ffff,15169,"
                                     "Google LLC\n"
                                     "2001::,2001::ffff:ffff:ffff:ffff:ffff:ffff,6939,"
                                     "Hurricane Electric LLC\n"
                                     "ffff::,ffff:ffff:ffff:ffff:ffff:ffff:ffff:ffff,1,Top\n");
    const std::string db = folder.File("GeoIPASNumv6.dat");
    const ToolResult result = RunTool({"build", "--csv", csv, "-o", db, "--edition", "21"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(Org(db, "2001:4860:4860::8888"), "AS15169 Google LLC");
    EXPECT_EQ(Org(db, "2001::1"), "AS6939 Hurricane Electric LLC");
    EXPECT_EQ(Org(db, "ffff:ffff:ffff:ffff:ffff:ffff:ffff:ffff"), "AS1 Top");
    EXPECT_EQ(Org(db, "2001:4861::"), "-");
    EXPECT_EQ(Org(db, "::1"), "-");
}

struct BadRowCase {
    const char* name;
    const char* rows;
    const char* edition;
    const char* message; // after "FILE:"
};

void PrintTo(const BadRowCase& c, std::ostream* os) {
    *os << c.name;
}

class AsnBadRowTest : public ::testing::TestWithParam<BadRowCase> {};

TEST_P(AsnBadRowTest, StopsWithTheLineAndLeavesTheOutputAlone) {
    const BadRowCase& c = GetParam();
    TempFolder folder;
    const std::string csv = folder.Write("in.csv", c.rows);
    const std::string db = folder.Write("out.dat", "old database");
    const ToolResult result = RunTool({"build", "--csv", csv, "-o", db, "--edition", c.edition});
    EXPECT_EQ(result.status, 1);
    EXPECT_TRUE(Has(result.err, csv + ":" + c.message)) << result.err;
    EXPECT_EQ(ReadFile(db), "old database");
    EXPECT_EQ(folder.Entries(), (std::vector<std::string>{"in.csv", "out.dat"}));
}

INSTANTIATE_TEST_SUITE_P(
    Rows, AsnBadRowTest,
    ::testing::Values(
        BadRowCase{"StartAfterEnd", "1.0.0.0,1.0.0.255,1,A\n1.0.1.9,1.0.1.0,2,B\n", "9",
                   "2: ip_range_end \"1.0.1.0\" lies before"},
        BadRowCase{"NonNumericNumber",
                   "ip_range_start,ip_range_end,n,o\n1.0.0.0,1.0.0.255,AS13335,Cloudflare\n", "9",
                   "2: autonomous_system_number \"AS13335\" is not an AS number"},
        BadRowCase{"NumberPast32Bits", "1.0.0.0,1.0.0.255,4294967296,X\n", "9",
                   "1: autonomous_system_number"},
        BadRowCase{"EmptyNumber", "1.0.0.0,1.0.0.255,,X\n", "9", "1: autonomous_system_number"},
        BadRowCase{"Ipv6RowInIpv4Build", "1.0.0.0,1.0.0.255,1,A\n\n2001::,2001::ff,2,B\n", "9",
                   "3: ip_range_start \"2001::\" is an IPv6 address"},
        BadRowCase{"Ipv4RowInIpv6Build", "2001::,2001::ff,2,B\n1.0.0.0,1.0.0.255,1,A\n", "21",
                   "2: ip_range_start \"1.0.0.0\" is an IPv4 address"},
        BadRowCase{"NotAnAddress", "1.0.0.0,1.0.0.300,1,A\n", "9",
                   "1: ip_range_end \"1.0.0.300\" is not an IPv4 address"},
        BadRowCase{"TooFewFields", "1.0.0.0,1.0.0.255,1\n", "9",
                   "1: expected at least 4 fields, found 3"},
        BadRowCase{"UnclosedQuote", "1.0.0.0,1.0.0.255,1,\"A\n", "9", "1: "}));

mmdbtest::Value AsnRecord(std::uint32_t number, const std::string& name) {
    return mmdbtest::Map({{"autonomous_system_number", mmdbtest::Uint32(number)},
                          {"autonomous_system_organization", mmdbtest::Text(name)}});
}

TEST(AsnBuildTest, MmdbGivesBothEditions) {
    TempFolder folder;
    mmdbtest::MmdbTestWriter writer(6, 24, "DBIP-ASN-Lite (compat=GeoLite2-ASN)");
    writer.Insert(0x08000000, 8, AsnRecord(3356, "Level 3 Parent, LLC"));
    writer.Insert(0x08080800, 24, AsnRecord(15169, "Google LLC"));
    writer.InsertIPv6({0x20, 0x01, 0x48, 0x60}, 32, AsnRecord(15169, "Google LLC"));
    const std::string mmdb = folder.File("asn.mmdb");
    writer.WriteTo(mmdb);
    const std::string v4 = folder.File("GeoIPASNum.dat");
    const std::string v6 = folder.File("GeoIPASNumv6.dat");
    const ToolResult four = RunTool({"build", "--mmdb", mmdb, "-o", v4, "--edition", "9"});
    ASSERT_EQ(four.status, 0) << four.err;
    const ToolResult six = RunTool({"build", "--mmdb", mmdb, "-o", v6, "--edition", "21"});
    ASSERT_EQ(six.status, 0) << six.err;
    EXPECT_EQ(Org(v4, "8.8.8.8"), "AS15169 Google LLC");
    EXPECT_EQ(Org(v4, "8.8.9.8"), "AS3356 Level 3 Parent, LLC");
    EXPECT_EQ(Org(v4, "9.8.8.8"), "-");
    EXPECT_EQ(Org(v6, "2001:4860:4860::8888"), "AS15169 Google LLC");
    EXPECT_EQ(Org(v6, "::808:808"), "-"); // the IPv4 part belongs to edition 9
    EXPECT_TRUE(Has(six.out, "distinct texts: 1\n")) << six.out;
}

TEST(AsnBuildTest, CityMmdbIsRefusedWithItsFields) {
    TempFolder folder;
    mmdbtest::MmdbTestWriter writer(4);
    writer.Insert(0x08080800, 24, mmdbtest::Map({{"country_code", mmdbtest::Text("US")}}));
    const std::string mmdb = folder.File("city.mmdb");
    writer.WriteTo(mmdb);
    const ToolResult result =
        RunTool({"build", "--mmdb", mmdb, "-o", folder.File("out.dat"), "--edition", "9"});
    EXPECT_EQ(result.status, 1);
    EXPECT_TRUE(Has(result.err, "not an organisation record")) << result.err;
    EXPECT_TRUE(Has(result.err, "country_code")) << result.err;
    EXPECT_FALSE(folder.Exists("out.dat"));
}

} // namespace
} // namespace orvanta::dbtool::test
