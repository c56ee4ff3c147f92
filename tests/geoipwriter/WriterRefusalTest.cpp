// SPDX-License-Identifier: GPL-3.0-or-later
// What the format cannot hold is refused with a clear message, and a refused
// or failed write leaves neither the target nor a temporary file behind.

#include "WriterTestSupport.h"
#include "geoip/TGeoIP.h"
#include "geoipwriter/CityDatabaseWriter.h"

#include <cmath>
#include <fstream>
#include <gtest/gtest.h>

namespace orvanta::geoip::test {
namespace {

CityRecordData Place(const std::string& city = "c") {
    CityRecordData record;
    record.countryIndex = 77;
    record.city = city;
    return record;
}

struct RefusalCase {
    const char* name;
    CityRangeSet set;
    WriteOptions options;
    const char* message; // a part of the error text
};

void PrintTo(const RefusalCase& c, std::ostream* os) {
    *os << c.name;
}

CityRangeSet One(CityRecordData record) {
    return {{std::move(record)}, {{0x01000000, 0x01FFFFFF, 0}}};
}

CityRecordData With(void (*change)(CityRecordData&)) {
    CityRecordData record = Place();
    change(record);
    return record;
}

class RefusalTest : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(RefusalTest, RefusesAndWritesNothing) {
    const RefusalCase& c = GetParam();
    TempFolder folder;
    const std::string path = folder.File("db.dat");
    try {
        WriteCityDatabase(path, c.set, c.options);
        FAIL() << "written";
    } catch (const WriteError& error) {
        EXPECT_NE(std::string(error.what()).find(c.message), std::string::npos) << error.what();
    }
    EXPECT_TRUE(folder.Entries().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, RefusalTest,
    ::testing::Values(
        RefusalCase{"Overlap",
                    {{Place()}, {{0x01000000, 0x010000FF, 0}, {0x010000FF, 0x01000100, 0}}},
                    {},
                    "1.0.0.0-1.0.0.255 and 1.0.0.255-1.0.1.0 overlap"},
        RefusalCase{"Contained",
                    {{Place()}, {{0x01000000, 0x01FFFFFF, 0}, {0x01000010, 0x01000010, 0}}},
                    {},
                    "overlap"},
        RefusalCase{"Reversed", {{Place()}, {{0x02000000, 0x01000000, 0}}}, {}, "ends before"},
        RefusalCase{"MissingRecord", {{Place()}, {{0x01000000, 0x01000000, 1}}}, {}, "record 1"},
        RefusalCase{"Edition3", One(Place()), {3, false}, "edition 3"},
        RefusalCase{"TooLongWithoutFit", One(Place(std::string(41, 'x'))), {}, "--fit"},
        RefusalCase{"TooLongUsThirdNumber",
                    One(With([](CityRecordData& r) {
                        r.countryIndex = 225;
                        r.city = std::string(38, 'x');
                    })),
                    {2, false},
                    "50-byte"},
        RefusalCase{"NulInCity", One(Place(std::string("a\0b", 3))), {}, "city contains a NUL"},
        RefusalCase{"LatitudeTooLow",
                    One(With([](CityRecordData& r) { r.latitude = -180.0001; })),
                    {},
                    "latitude"},
        RefusalCase{"LongitudeTooHigh",
                    One(With([](CityRecordData& r) { r.longitude = 1497.7216; })),
                    {},
                    "longitude"},
        RefusalCase{"LatitudeNotANumber",
                    One(With([](CityRecordData& r) { r.latitude = std::nan(""); })),
                    {},
                    "latitude"},
        RefusalCase{"CountryPastTables",
                    One(With([](CityRecordData& r) { r.countryIndex = 253; })),
                    {},
                    "country index 253"},
        RefusalCase{"AreaCodeTooLarge",
                    One(
                        With([](CityRecordData& r) {
                            r.countryIndex = 225;
                            r.areaCode = 1000;
                        })),
                    {2, false},
                    "area code"},
        RefusalCase{"DmaCodeTooLarge",
                    One(
                        With([](CityRecordData& r) {
                            r.countryIndex = 225;
                            r.dmaCode = 16778;
                        })),
                    {2, false},
                    "DMA code"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RefusalTest, FailedBuildKeepsTheExistingDatabase) {
    TempFolder folder;
    const std::string path = folder.File("GeoLiteCity.dat");
    WriteCityDatabase(path, CityRanges{{0x01000000, 0x01FFFFFF, Place("old")}}, {});
    const std::string before = ReadFile(path);
    EXPECT_THROW(WriteCityDatabase(
                     path, CityRanges{{0x01000000, 0x01FFFFFF, Place(std::string(60, 'n'))}}, {}),
                 WriteError);
    EXPECT_EQ(ReadFile(path), before);
    EXPECT_EQ(folder.Entries(), std::vector<std::string>{"GeoLiteCity.dat"});
}

TEST(RefusalTest, UnwritableTargetsFailWithTheirName) {
    TempFolder folder;
    const CityRanges ranges{{0x01000000, 0x01FFFFFF, Place()}};
    for (const std::string& path :
         {folder.File("missing/db.dat"), folder.File("") /* the folder itself */}) {
        SCOPED_TRACE(path);
        try {
            WriteCityDatabase(path, ranges, {});
            FAIL();
        } catch (const WriteError& error) {
            EXPECT_NE(std::string(error.what()).find(path), std::string::npos) << error.what();
        }
    }
    std::filesystem::create_directory(folder.File("dir"));
    EXPECT_THROW(WriteCityDatabase(folder.File("dir"), ranges, {}), WriteError);
    EXPECT_EQ(folder.Entries(), std::vector<std::string>{"dir"});
}

TEST(FitTest, ShortensTextsToTheWindowAndCountsDistinctRecords) {
    TempFolder folder;
    CityRecordData longRecord = Place(std::string(30, 'c'));
    longRecord.region = std::string(20, 'r');
    longRecord.postalCode = "12345";
    CityRangeSet set{
        {longRecord, Place("short")},
        {{0x01000000, 0x01FFFFFF, 0}, {0x03000000, 0x03FFFFFF, 0}, {0x05000000, 0x05FFFFFF, 1}}};
    const std::string path = folder.File("db.dat");
    const WriteSummary measured = MeasureCityDatabase(set, {6, false});
    EXPECT_EQ(measured.overlongRecords, 1u);
    EXPECT_EQ(measured.shortenedRecords, 0u);
    const WriteSummary summary = WriteCityDatabase(path, set, {6, true});
    EXPECT_EQ(summary.shortenedRecords, 1u);
    TGeoIP reader(path);
    TGeoIPCity got;
    ASSERT_EQ(reader.LookupCity("1.1.1.1", got), lrFound);
    // 1 + 3 NULs + 6 numbers leave 40 bytes of text; the longest text is cut
    // first, so city and region end up sharing them.
    EXPECT_EQ(got.Region.size() + got.City.size() + got.PostalCode.size(), 40u);
    EXPECT_EQ(got.City, std::string(got.City.size(), 'c'));
    EXPECT_EQ(got.PostalCode, "12345");
    EXPECT_LE(got.City.size() - got.Region.size(), 1u);
}

TEST(LimitTest, TreeAndRecordsBeyondThreeBytesAreRefused) {
    // 340,000 distinct 49-byte records need a record area past 16,777,215.
    CityRangeSet set;
    for (std::uint32_t i = 0; i < 340000; ++i) {
        CityRecordData record =
            Place(std::to_string(i) + std::string(39 - std::to_string(i).size(), 'x'));
        set.records.push_back(std::move(record));
        set.ranges.push_back({i << 8, (i << 8) | 0xFF, i});
    }
    TempFolder folder;
    try {
        WriteCityDatabase(folder.File("db.dat"), set, {6, false});
        FAIL();
    } catch (const WriteError& error) {
        EXPECT_NE(std::string(error.what()).find("more than 3 bytes hold"), std::string::npos)
            << error.what();
    }
    EXPECT_TRUE(folder.Entries().empty());
}

} // namespace
} // namespace orvanta::geoip::test
