// SPDX-License-Identifier: GPL-3.0-or-later
// The lookup command on IPv6 texts: which are answered from the IPv6 file,
// which as IPv4, which are rejected; the same lines for one address and in
// bulk, in input order; and a missing IPv6 file.

#include "ToolRunner.h"
#include "geoip/IPv6Text.h"
#include "geoipwriter/CityDatabaseWriter.h"

#include <gtest/gtest.h>

namespace orvanta::dbtool::test {
namespace {

using geoip::CityRecordData;

geoip::AddressValue V6(const char* text) {
    return *geoip::ParseIPv6Address(text);
}

class LookupIPv6Test : public ::testing::Test {
protected:
    void SetUp() override {
        CityRecordData us;
        us.countryIndex = 225;
        us.region = "CA";
        us.city = "Mountain View";
        us.latitude = 37.422;
        us.longitude = -122.085;
        us.dmaCode = 807;
        us.areaCode = 415;
        CityRecordData fr;
        fr.countryIndex = 74;
        fr.city = "Paris";
        fr.latitude = 48.8534;
        fr.longitude = 2.3488;
        geoip::WriteCityDatabase(folder_.File("GeoLiteCity.dat"),
                                 geoip::CityRanges{{0x01000000, 0x01FFFFFF, us}}, {6, false});
        geoip::WriteCityDatabase(
            folder_.File("GeoLiteCityv6.dat"),
            geoip::CityRanges{
                {V6("2a00:1450::"), V6("2a00:1450:ffff:ffff:ffff:ffff:ffff:ffff"), fr},
                {V6("2001:4860::"), V6("2001:4860::"), us}},
            {30, false});
    }

    TempFolder folder_;
};

const std::string Empty = "\t\t\t\t\t\t0\t0\t0\t0\t"; // five empty texts, zeros
const std::string Paris = "\tFR\tFrance\t\tParis\t\t48.8534\t2.3488\t0\t0\t2a00:1450::/32";

TEST_F(LookupIPv6Test, AnswersEveryTextAloneAndInBulkAlike) {
    struct Row {
        const char* name;
        std::string address;
        std::string rest; // the line after the address
        std::string special = "";
    } rows[] = {
        {"Unspecified", "::", "\tlrNotFound" + Empty + "::/3", "Unspecified Address"},
        {"Loopback", "::1", "\tlrNotFound" + Empty + "::/3", "Loopback Address"},
        {"TrailingDoubleColon", "1::", "\tlrNotFound" + Empty + "::/3"},
        {"MappedIsIPv4", "::ffff:1.2.3.4",
         "\tlrFound\tUS\tUnited States\tCA\tMountain View\t\t37.422\t-122.085\t0\t0\t1.0.0.0/8"},
        {"EightGroups", "2a00:1450:4001:082a:0000:0000:0000:200e", "\tlrFound" + Paris},
        {"UpperCase", "2A00:1450:4001:82A::200E", "\tlrFound" + Paris},
        {"ThirdNumber", "2001:4860::",
         "\tlrFound\tUS\tUnited States\tCA\tMountain View\t\t37.422\t-122.085\t807\t415\t"
         "2001:4860::/128"},
        {"NineGroups", "1:2:3:4:5:6:7:8:9", "\tlrInvalidAddress" + Empty},
        {"TwoDoubleColons", "1::2::3", "\tlrInvalidAddress" + Empty},
        {"TripleColon", ":::", "\tlrInvalidAddress" + Empty},
        {"FiveDigitGroup", "12345::", "\tlrInvalidAddress" + Empty},
        {"ZoneIndex", "fe80::1%eth0", "\tlrInvalidAddress" + Empty},
        {"Brackets", "[2001:db8::1]", "\tlrInvalidAddress" + Empty},
        {"Long", std::string(300, 'a'), "\tlrInvalidAddress" + Empty},
        {"IPv4BesideThem", "1.2.3.4",
         "\tlrFound\tUS\tUnited States\tCA\tMountain View\t\t37.422\t-122.085\t0\t0\t1.0.0.0/8"},
    };
    std::string input;
    std::string expected;
    for (const Row& row : rows) {
        // The two organisation fields are empty: no organisation files here.
        const std::string line = row.address + row.rest + "\t\t\t" + row.special + "\n";
        const ToolResult one = RunTool({"lookup", "--", row.address}, "", folder_.path());
        EXPECT_EQ(one.status, 0) << row.name << one.err;
        EXPECT_EQ(one.out, line) << row.name;
        input += row.address + "\n";
        expected += line;
    }
    const ToolResult bulk = RunTool({"lookup"}, input, folder_.path());
    EXPECT_EQ(bulk.status, 0) << bulk.err;
    EXPECT_EQ(bulk.out, expected);
    EXPECT_EQ(bulk.err, "");
}

TEST_F(LookupIPv6Test, JsonNetworkIsIPv6Cidr) {
    const ToolResult result =
        RunTool({"lookup", "--json", "--db6", folder_.File("GeoLiteCityv6.dat"), "2a00:1450::1"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_NE(result.out.find(",\"network\":\"2a00:1450::/32\",\"asn\":null,"), std::string::npos)
        << result.out;
}

TEST_F(LookupIPv6Test, MissingIPv6FileIsReportedOnceAndTheRestAnswered) {
    const std::string gone = folder_.File("gone6.dat");
    const ToolResult bulk = RunTool({"lookup", "--db6", gone},
                                    "2a00:1450::1\n1.2.3.4\n::1\nnonsense\n", folder_.path());
    EXPECT_EQ(bulk.status, 1);
    EXPECT_EQ(bulk.out, "1.2.3.4\tlrFound\tUS\tUnited States\tCA\tMountain View\t\t37.422\t"
                        "-122.085\t0\t0\t1.0.0.0/8\t\t\t\n"
                        "nonsense\tlrInvalidAddress" +
                            Empty + "\t\t\t\n");
    EXPECT_EQ(bulk.err, "Cannot open file \"" + gone + "\". No such file or directory\n");

    const ToolResult one = RunTool({"lookup", "--db6", gone, "::1"}, "", folder_.path());
    EXPECT_EQ(one.status, 1);
    EXPECT_EQ(one.out, "");
    EXPECT_EQ(one.err, bulk.err);
}

} // namespace
} // namespace orvanta::dbtool::test
