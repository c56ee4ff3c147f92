// SPDX-License-Identifier: GPL-3.0-or-later
// The lookup command's output lines: fields, escapes, numbers, and the
// record of an empty lookup for results other than lrFound.

#include "LookupFormatter.h"
#include "ToolRunner.h"
#include "geoipwriter/AsnDatabaseWriter.h"
#include "geoipwriter/CityDatabaseWriter.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <sstream>

namespace orvanta::dbtool::test {
namespace {

using geoip::CityRecordData;

class LookupCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        CityRecordData us;
        us.countryIndex = 225;
        us.region = "CA";
        us.city = "San Francisco";
        us.postalCode = "94107";
        us.latitude = 37.7697;
        us.longitude = -122.3933;
        us.dmaCode = 807;
        us.areaCode = 415;
        CityRecordData odd;
        odd.countryIndex = 74;
        odd.region = "a\tb";
        odd.city = "Cr\xE9teil\r\n";
        odd.postalCode = "back\\slash";
        odd.latitude = -0.0001;
        odd.longitude = 0;
        CityRecordData zero;
        geoip::WriteCityDatabase(folder_.File("GeoLiteCity.dat"),
                                 geoip::CityRanges{{0x01000000, 0x01FFFFFF, us},
                                                   {0x02000000, 0x020000FF, odd},
                                                   {0x03000000, 0x03000000, zero}},
                                 {2, false});
    }

    TempFolder folder_;
};

TEST_F(LookupCommandTest, WritesOneEscapedLinePerAddress) {
    struct Row {
        const char* address;
        const char* line;
    } rows[] = {
        {"1.2.3.4", "1.2.3.4\tlrFound\tUS\tUnited States\tCA\tSan Francisco\t94107\t37.7697\t"
                    "-122.3933\t807\t415\t1.0.0.0/8"},
        {"2.0.0.9", "2.0.0.9\tlrFound\tFR\tFrance\ta\\tb\tCr\xC3\xA9teil\\r\\n\tback\\\\slash\t"
                    "-0.0001\t0\t0\t0\t2.0.0.0/24"},
        {"3.0.0.0", "3.0.0.0\tlrFound\t--\tN/A\t\t\t\t0\t0\t0\t0\t3.0.0.0/32"},
        {"4.0.0.1", "4.0.0.1\tlrNotFound\t\t\t\t\t\t0\t0\t0\t0\t4.0.0.0/6"},
        {"0.0.0.0", "0.0.0.0\tlrInvalidAddress\t\t\t\t\t\t0\t0\t0\t0\t"},
        {"a\\b", "a\\\\b\tlrInvalidAddress\t\t\t\t\t\t0\t0\t0\t0\t"},
        {"0x1.1", "0x1.1\tlrFound\tUS\tUnited States\tCA\tSan Francisco\t94107\t37.7697\t"
                  "-122.3933\t807\t415\t1.0.0.0/8"},
    };
    std::vector<std::string> args = {"lookup", "--db", folder_.File("GeoLiteCity.dat")};
    std::string expected;
    for (const Row& row : rows) {
        args.push_back(row.address);
        expected += std::string(row.line) + "\t\t\t\n"; // no organisation files, no special block
    }
    ToolResult result = RunTool(args);
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, expected);
    EXPECT_EQ(result.err, "");
}

TEST(LookupAddressEcho, EscapesBytesThatAreNotUtf8AndCutsLongTexts) {
    const std::string ascii(EchoLimit + 5, 'a');
    const std::string pairAtLimit = std::string(EchoLimit - 1, 'a') + "\xC3\xA9"
                                                                      "b";
    struct Row {
        const char* name;
        std::string address;
        std::string tsv;
        std::string json;
    } rows[] = {
        {"WellFormedUtf8Kept", "Cr\xC3\xA9teil \xE2\x82\xAC", "Cr\xC3\xA9teil \xE2\x82\xAC",
         "Cr\xC3\xA9teil \xE2\x82\xAC"},
        {"Latin1Byte", "Cr\xE9teil", "Cr\\xe9teil", "Cr\xEF\xBF\xBDteil"},
        {"LoneContinuation",
         "\x80"
         "1",
         "\\x801",
         "\xEF\xBF\xBD"
         "1"},
        {"Overlong", "\xC0\xAF", "\\xc0\\xaf", "\xEF\xBF\xBD\xEF\xBF\xBD"},
        {"Surrogate", "\xED\xA0\x80", "\\xed\\xa0\\x80", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},
        {"TruncatedSequenceAtEnd", "a\xE2\x82", "a\\xe2\\x82", "a\xEF\xBF\xBD\xEF\xBF\xBD"},
        {"EscapesAfterNonAscii", "\xFF\t", "\\xff\\t", "\xEF\xBF\xBD\\t"},
        {"LongTextCut", ascii, ascii.substr(0, EchoLimit), ascii.substr(0, EchoLimit)},
        {"CutKeepsSequencesWhole", pairAtLimit, pairAtLimit.substr(0, EchoLimit - 1),
         pairAtLimit.substr(0, EchoLimit - 1)},
    };
    for (const Row& row : rows) {
        std::string tsv;
        LookupFormatter(LookupFormat::Tsv).AppendAddress(tsv, row.address);
        EXPECT_EQ(tsv, row.tsv) << row.name;
        std::string json;
        LookupFormatter(LookupFormat::Json).AppendAddress(json, row.address);
        EXPECT_EQ(json, "{\"address\":\"" + row.json + "\"") << row.name;
        // A damaged organisation file's name is escaped as the address is
        // (it has no length cut of its own: the reader bounds it).
        if (row.name != std::string("LongTextCut") &&
            row.name != std::string("CutKeepsSequencesWhole")) {
            std::string organization;
            LookupFormatter(LookupFormat::Tsv)
                .AppendOrganization(organization, "AS7 " + row.address);
            EXPECT_EQ(organization, "\t7\t" + row.tsv) << row.name;
        }
    }
}

TEST_F(LookupCommandTest, ReadsStandardInputFromTheDefaultFile) {
    ToolResult result = RunTool({"lookup"}, "1.0.0.1\r\n\n4.0.0.1", folder_.path());
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out,
              "1.0.0.1\tlrFound\tUS\tUnited States\tCA\tSan Francisco\t94107\t37.7697\t-122.3933\t"
              "807\t415\t1.0.0.0/8\t\t\t\n"
              "\tlrInvalidAddress\t\t\t\t\t\t0\t0\t0\t0\t\t\t\t\n"
              "4.0.0.1\tlrNotFound\t\t\t\t\t\t0\t0\t0\t0\t4.0.0.0/6\t\t\t\n");
}

TEST_F(LookupCommandTest, DoubleDashLetsAnAddressStartWithADash) {
    ToolResult result = RunTool({"lookup", "--db=" + folder_.File("GeoLiteCity.dat"), "--", "-1"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "-1\tlrInvalidAddress\t\t\t\t\t\t0\t0\t0\t0\t\t\t\t\n");
}

TEST_F(LookupCommandTest, StopsWithExitOneWhenTheFileCannotBeOpened) {
    ToolResult result = RunTool({"lookup", "--db", folder_.File("gone.dat"), "1.2.3.4"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err,
              "Cannot open file \"" + folder_.File("gone.dat") + "\". No such file or directory\n");
}

// The organisation fields from the two organisation files: TSV and JSON,
// single and bulk runs alike, and a named file that cannot be opened.
TEST_F(LookupCommandTest, OrganisationFieldsComeLast) {
    geoip::AsnRangeSet v4;
    v4.ranges.push_back({0x01000000, 0x01FFFFFF, v4.TextIndex("AS15169 Google LLC")});
    v4.ranges.push_back({0x02000000, 0x020000FF, v4.TextIndex("AS7 T\tab \"q\" \xC3\xA9")});
    v4.ranges.push_back({0x03000000, 0x03000000, v4.TextIndex("No prefix")});
    geoip::WriteAsnDatabase(folder_.File("GeoIPASNum.dat"), v4, 9);
    geoip::AsnRangeSet v6;
    const geoip::AddressValue google = geoip::AddressValue(0x20014860) << 96;
    v6.ranges.push_back({google, google | geoip::LowBits(96), v6.TextIndex("AS15169 Google LLC")});
    geoip::WriteAsnDatabase(folder_.File("v6.dat"), v6, 21);
    // IPv6 addresses need an IPv6 location file to be answered at all.
    geoip::CityRecordData six;
    six.countryIndex = 225;
    geoip::WriteCityDatabase(folder_.File("GeoLiteCityv6.dat"),
                             geoip::CityRanges{{google, google | geoip::LowBits(96), six}},
                             {31, false});

    ToolResult one = RunTool({"lookup", "--asn6", "v6.dat", "1.2.3.4"}, "", folder_.path());
    EXPECT_EQ(one.status, 0) << one.err;
    EXPECT_EQ(one.out, "1.2.3.4\tlrFound\tUS\tUnited States\tCA\tSan Francisco\t94107\t"
                       "37.7697\t-122.3933\t807\t415\t1.0.0.0/8\t15169\tGoogle LLC\t\n");

    const std::vector<std::string> addresses = {"1.2.3.4", "2.0.0.1",      "3.0.0.0",
                                                "4.0.0.1", "2001:4860::1", "nonsense"};
    std::string single;
    std::string input;
    for (const std::string& address : addresses) {
        single += RunTool({"lookup", "--asn6", "v6.dat", address}, "", folder_.path()).out;
        input += address + "\n";
    }
    const ToolResult bulk = RunTool({"lookup", "--asn6", "v6.dat"}, input, folder_.path());
    EXPECT_EQ(bulk.out, single);
    std::istringstream lines(single);
    std::vector<std::string> ends;
    for (std::string line; std::getline(lines, line);) {
        line.erase(line.rfind('\t')); // the special-purpose field, empty for these
        const std::size_t network = line.rfind('\t', line.rfind('\t') - 1);
        ends.push_back(line.substr(network));
    }
    EXPECT_EQ(ends,
              (std::vector<std::string>{"\t15169\tGoogle LLC", "\t7\tT\\tab \"q\" \xC3\xA9",
                                        "\t\tNo prefix", "\t\t", "\t15169\tGoogle LLC", "\t\t"}));

    const ToolResult json =
        RunTool({"lookup", "--json", "--asn6", "v6.dat"}, input, folder_.path());
    ASSERT_EQ(json.status, 0) << json.err;
    std::istringstream jsonLines(json.out);
    std::vector<nlohmann::json> objects;
    for (std::string line; std::getline(jsonLines, line);) {
        objects.push_back(nlohmann::json::parse(line));
    }
    ASSERT_EQ(objects.size(), addresses.size());
    EXPECT_EQ(objects[0]["asn"], 15169);
    EXPECT_EQ(objects[0]["organization"], "Google LLC");
    EXPECT_EQ(objects[1]["organization"], "T\tab \"q\" \xC3\xA9");
    EXPECT_TRUE(objects[2]["asn"].is_null());
    EXPECT_EQ(objects[2]["organization"], "No prefix");
    EXPECT_TRUE(objects[3]["asn"].is_null());
    EXPECT_TRUE(objects[3]["organization"].is_null());
    EXPECT_EQ(objects[4]["asn"], 15169);
    EXPECT_TRUE(objects[5]["organization"].is_null());

    for (const char* option : {"--asn", "--asn6"}) {
        const ToolResult missing =
            RunTool({"lookup", option, "gone.dat", "1.2.3.4"}, "", folder_.path());
        EXPECT_EQ(missing.status, 1) << option;
        EXPECT_NE(missing.err.find("gone.dat"), std::string::npos) << missing.err;
        EXPECT_EQ(missing.out, "");
    }
}

// The special-purpose block comes last, alone and in bulk alike, and is null in
// JSON for ordinary and unusable addresses.
TEST_F(LookupCommandTest, SpecialPurposeBlockComesLast) {
    const std::string db = "--db=" + folder_.File("GeoLiteCity.dat");
    const std::vector<std::pair<std::string, nlohmann::json>> rows = {
        {"10.20.30.40", "Private-Use"},
        {"192.0.2.1", "Documentation (TEST-NET-1)"},
        {"224.0.0.251", "Multicast"},
        {"172.31.255.255", "Private-Use"},
        {"::ffff:127.0.0.1", "Loopback"},
        {"1.2.3.4", nullptr},
        {"nonsense", nullptr}};
    std::string input;
    std::string single;
    for (const auto& [address, special] : rows) {
        const ToolResult one = RunTool({"lookup", db, "--", address}, "", folder_.path());
        const std::string line = one.out.substr(0, one.out.size() - 1);
        EXPECT_EQ(line.substr(line.rfind('\t') + 1), special.is_null() ? "" : special) << address;
        single += one.out;
        input += address + "\n";
    }
    EXPECT_EQ(RunTool({"lookup", db}, input, folder_.path()).out, single);
    std::istringstream json(RunTool({"lookup", db, "--json"}, input, folder_.path()).out);
    std::size_t i = 0;
    for (std::string line; std::getline(json, line) && i < rows.size(); ++i) {
        EXPECT_EQ(nlohmann::json::parse(line)["special"], rows[i].second) << rows[i].first;
    }
    EXPECT_EQ(i, rows.size());
}

} // namespace
} // namespace orvanta::dbtool::test
