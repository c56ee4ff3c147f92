// SPDX-License-Identifier: GPL-3.0-or-later
// build --csv: what it imports, how it reports, what it refuses.

#include "CsvCitySource.h"
#include "ToolRunner.h"
#include "geoip/TGeoIP.h"

#include <gtest/gtest.h>
#include <random>
#include <sstream>

namespace orvanta::dbtool::test {
namespace {

const std::string Header =
    "ip_range_start,ip_range_end,country_code,state1,state2,city,postcode,latitude,longitude,"
    "timezone\n";

std::string Lookup(const std::string& db, const std::string& address) {
    geoip::TGeoIP reader(db);
    geoip::TGeoIPCity record;
    geoip::TLookupResult result = reader.LookupCity(address, record);
    if (result != geoip::lrFound) {
        return geoip::LookupResultName(result);
    }
    std::ostringstream out;
    out.precision(10);
    out << record.CountryCode << "|" << record.Region << "|" << record.City << "|"
        << record.PostalCode << "|" << record.Latitude << "|" << record.Longitude;
    return out.str();
}

TEST(BuildCommandTest, ImportsRowsAndPrintsTheSummary) {
    TempFolder folder;
    const std::string csv = folder.Write(
        "in.csv",
        Header + "1.0.0.0,1.0.0.255,AU,Queensland,,South Brisbane,4101,-27.4767,153.0170,"
                 "Australia/Brisbane\r\n"
                 "1.0.1.0,1.0.1.255,CN,\"Fu, jian\",,\"Fu\xC5\x82\"\"zhou\",,26.06139,119.30611\n"
                 "::1,::ffff,US,,,,,0,0\n"
                 "\n"
                 "2.0.0.0,2.0.0.0,XK,Pri\xC5\xA1tina,,,,42.6629,21.1655\n"
                 "3.0.0.0,3.0.0.1,CW,,,Willemstad,,12.1084,-68.9335\n"
                 "4.0.0.0,4.0.0.1,,,,,,0,0\n"
                 "5.0.0.0,5.0.0.1,xk,,,,,0,0\n");
    const std::string db = folder.File("out.dat");
    ToolResult result = RunTool({"build", "--csv", csv, "-o", db});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_NE(result.out.find("ranges read: 6\n"), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("ipv6 rows skipped: 1\n"), std::string::npos);
    // The empty code and "xk" both give index 0 and the same empty record.
    EXPECT_NE(result.out.find("distinct records: 5\n"), std::string::npos);
    EXPECT_NE(result.out.find("file size: " + std::to_string(ReadFile(db).size()) + " bytes\n"),
              std::string::npos);
    EXPECT_NE(result.out.find("codes not in the table: \"\" (1 row), XK (1 row), xk (1 row)\n"),
              std::string::npos)
        << result.out;
    EXPECT_EQ(Lookup(db, "1.0.0.7"), "AU|Queensland|South Brisbane|4101|-27.4767|153.017");
    EXPECT_EQ(Lookup(db, "1.0.1.7"), "CN|Fu, jian|Ful\"zhou||26.0614|119.3061");
    EXPECT_EQ(Lookup(db, "2.0.0.0"), "--|Pristina|||42.6629|21.1655"); // no Latin-1 form of "š"
    EXPECT_EQ(Lookup(db, "3.0.0.1"), "AN||Willemstad||12.1084|-68.9335");
    EXPECT_EQ(Lookup(db, "2.0.0.1"), "lrNotFound");
    geoip::TGeoIP reader(db);
    EXPECT_EQ(reader.edition(), 2);
}

TEST(BuildCommandTest, Edition6AndFitAreHonoured) {
    TempFolder folder;
    const std::string csv =
        folder.Write("in.csv", "8.8.8.0,8.8.8.255,US," + std::string(30, 'r') + ",," +
                                   std::string(30, 'c') + ",94043,37.4056,-122.0775\n");
    const std::string db = folder.File("out.dat");
    ToolResult refused = RunTool({"build", "--csv", csv, "-o", db});
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find("--fit"), std::string::npos) << refused.err;
    EXPECT_FALSE(folder.Exists("out.dat"));
    ToolResult result = RunTool({"build", "--csv", csv, "-o", db, "--edition", "6", "--fit"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_NE(result.out.find("shortened records: 1\n"), std::string::npos) << result.out;
    geoip::TGeoIP reader(db);
    EXPECT_EQ(reader.edition(), 6);
}

struct BadCsvCase {
    const char* name;
    std::string csv;
    const char* error; // after "FILE:"
};

void PrintTo(const BadCsvCase& c, std::ostream* os) {
    *os << c.name;
}

class BadCsvTest : public ::testing::TestWithParam<BadCsvCase> {};

TEST_P(BadCsvTest, StopsWithFileLineAndFaultAndWritesNothing) {
    const BadCsvCase& c = GetParam();
    TempFolder folder;
    const std::string csv = folder.Write("in.csv", c.csv);
    const std::string db = folder.Write("out.dat", "previous");
    ToolResult result = RunTool({"build", "--csv", csv, "-o", db});
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find(csv + ":" + c.error), std::string::npos) << result.err;
    EXPECT_EQ(ReadFile(db), "previous");
    EXPECT_EQ(result.out, "");
}

const std::string Good = "1.0.0.0,1.0.0.255,AU,Q,,B,4101,-27.4767,153.017\n";

INSTANTIATE_TEST_SUITE_P(
    Rows, BadCsvTest,
    ::testing::Values(
        BadCsvCase{"TooFewFields", Header + Good + "2.0.0.0,2.0.0.1,AU,Q,,B,4101,1\n",
                   "3: expected at least 9 fields, found 8"},
        BadCsvCase{"BadStart", Good + "2.0.0.x,2.0.0.1,AU,,,,,1,1\n",
                   "2: ip_range_start \"2.0.0.x\" is not an IPv4 address"},
        BadCsvCase{"ShortFormNotAccepted", Good + "2.1,2.0.0.1,AU,,,,,1,1\n",
                   "2: ip_range_start \"2.1\""},
        BadCsvCase{"EndBeforeStart", Good + "2.0.0.9,2.0.0.1,AU,,,,,1,1\n",
                   "2: ip_range_end \"2.0.0.1\" lies before"},
        BadCsvCase{"BadIpv6", "::1,::g,US,,,,,0,0\n", "1: ip_range_end \"::g\" is not an IPv6"},
        BadCsvCase{"MixedFamilies", "1.0.0.0,::1,US,,,,,0,0\n", "1: ip_range_start \"1.0.0.0\""},
        BadCsvCase{"LatitudeWord", Good + "2.0.0.0,2.0.0.1,AU,,,,,north,1\n",
                   "2: latitude \"north\" is not a number"},
        BadCsvCase{"LatitudeEmpty", Good + "2.0.0.0,2.0.0.1,AU,,,,,,1\n",
                   "2: latitude \"\" is not a number"},
        BadCsvCase{"LongitudeOutOfRange", Good + "2.0.0.0,2.0.0.1,AU,,,,,1,1497.72156\n",
                   "2: longitude \"1497.72156\" is outside -180 to 1497.7215"},
        BadCsvCase{"LatitudeBelowRange", Good + "2.0.0.0,2.0.0.1,AU,,,,,-180.00006,1\n",
                   "2: latitude"},
        BadCsvCase{"NotANumberText", Good + "2.0.0.0,2.0.0.1,AU,,,,,nan,1\n",
                   "2: latitude \"nan\""},
        BadCsvCase{"UnclosedQuote", Good + "2.0.0.0,2.0.0.1,AU,\"Q\n,,,,1,1\n",
                   "2: quoted field is not closed"},
        BadCsvCase{"TextAfterQuote", Good + "2.0.0.0,2.0.0.1,AU,\"Q\"x,,,,1,1\n",
                   "2: text after the closing quote"},
        BadCsvCase{"LineCountsQuotedBreaks",
                   Good + "2.0.0.0,2.0.0.1,AU,\"multi\nline\",,,,1,1\n3.0.0.0,bad,AU,,,,,1,1\n",
                   "4: ip_range_end \"bad\""},
        BadCsvCase{"Overlap", Good + "1.0.0.128,1.0.1.0,AU,,,,,1,1\n",
                   "2: the range overlaps the range of line 1"},
        BadCsvCase{"OverlapOutOfOrder",
                   "5.0.0.0,5.0.0.9,AU,,,,,1,1\n" + Good + "1.0.0.255,1.0.0.255,AU,,,,,1,1\n",
                   "3: the range overlaps the range of line 2"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CsvImportTest, ReadsQuotingHeaderAndLineEndsAsWritten) {
    struct Row {
        const char* name;
        std::string csv;
        std::size_t ranges;
        std::string city; // of the first record
    } rows[] = {
        {"NoHeader", Good, 1, "B"},
        {"HeaderAnyCase", "IP_RANGE_START,x,y,z,a,b,c,d,e\n" + Good, 1, "B"},
        {"ByteOrderMark", "\xEF\xBB\xBF" + Header + Good, 1, "B"},
        {"CrLfAndNoFinalLineEnd", "1.0.0.0,1.0.0.1,AU,Q,,B,1,0,0\r\n2.0.0.0,2.0.0.1,AU,Q,,C,1,0,0",
         2, "B"},
        {"QuotedCommaQuoteAndBreak", "1.0.0.0,1.0.0.1,AU,Q,,\"a,\"\"b\"\"\r\nc\",1,0,0\n", 1,
         "a,\"b\"\r\nc"},
        {"EmptyQuoted", "1.0.0.0,1.0.0.1,AU,Q,,\"\",1,0,0\n", 1, ""},
        {"SpacesAroundAddresses", " 1.0.0.0 , 1.0.0.1 ,AU,Q,,B,1, 0 ,0\n", 1, "B"},
        {"ExtraColumns", "1.0.0.0,1.0.0.1,AU,Q,,B,1,0,0,x,y,\"z\"\n", 1, "B"},
    };
    for (const Row& row : rows) {
        std::istringstream in(row.csv);
        CsvImport import = LoadCityCsv(in, "test.csv");
        EXPECT_EQ(import.rangesRead, row.ranges) << row.name;
        ASSERT_FALSE(import.set.records.empty()) << row.name;
        EXPECT_EQ(import.set.records[0].city, row.city) << row.name;
    }
}

// A large random CSV through the binary: every sampled address answers the
// record of its range, every gap lrNotFound.
TEST(BuildCommandTest, RandomCsvRoundTrip) {
    TempFolder folder;
    std::mt19937 random(5);
    std::ostringstream csv;
    csv.precision(10);
    csv << Header;
    struct Range {
        std::uint32_t first, last;
        std::string expected;
    };
    std::vector<Range> ranges;
    std::uint64_t next = 1;
    const char* codes[] = {"DE", "FR", "US", "JP", "BR"};
    const char* countries[] = {"DE", "FR", "US", "JP", "BR"};
    auto text = [](std::uint32_t a) {
        return std::to_string(a >> 24) + "." + std::to_string((a >> 16) & 255) + "." +
               std::to_string((a >> 8) & 255) + "." + std::to_string(a & 255);
    };
    for (int i = 0; i < 20000; ++i) {
        const std::uint64_t first = next + random() % 3000;
        const std::uint64_t last = first + random() % 200000;
        if (last >= 0xFFFFFFFF) {
            break;
        }
        const int country = static_cast<int>(random() % 5);
        const std::string city = "C" + std::to_string(random() % 3000);
        const double latitude = static_cast<int>(random() % 1800000 - 900000) / 10000.0;
        const double longitude = static_cast<int>(random() % 3600000 - 1800000) / 10000.0;
        csv << text(static_cast<std::uint32_t>(first)) << ","
            << text(static_cast<std::uint32_t>(last)) << "," << codes[country] << ",S,," << city
            << ",," << latitude << "," << longitude << ",\n";
        std::ostringstream expected;
        expected.precision(10);
        expected << countries[country] << "|S|" << city << "||" << latitude << "|" << longitude;
        ranges.push_back(
            {static_cast<std::uint32_t>(first), static_cast<std::uint32_t>(last), expected.str()});
        next = last + 1;
    }
    const std::string input = folder.Write("in.csv", csv.str());
    const std::string db = folder.File("out.dat");
    ToolResult result = RunTool({"build", "--csv", input, "-o", db});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_NE(result.out.find("ranges read: " + std::to_string(ranges.size()) + "\n"),
              std::string::npos);
    for (std::size_t i = 0; i < ranges.size(); i += 3) {
        const Range& range = ranges[i];
        ASSERT_EQ(Lookup(db, text(range.first)), range.expected) << text(range.first);
        ASSERT_EQ(Lookup(db, text(range.last)), range.expected) << text(range.last);
        if (i > 0 && ranges[i - 1].last + 1 < range.first) {
            ASSERT_EQ(Lookup(db, text(range.first - 1)), "lrNotFound") << text(range.first - 1);
        }
    }
}

} // namespace
} // namespace orvanta::dbtool::test
