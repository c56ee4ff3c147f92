// SPDX-License-Identifier: GPL-3.0-or-later
#include "mmdbimport/MmdbCityImporter.h"

#include "CityRecords.h"
#include "MmdbTestWriter.h"
#include "TempFolder.h"
#include "geoip/TGeoIP.h"
#include "geoipwriter/WriteError.h"
#include "mmdbimport/ImportError.h"
#include "mmdbimport/MmdbCityBuild.h"
#include "mmdbimport/Progress.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sstream>

namespace orvanta::mmdbtest {
namespace {

using orvanta::test::TempFolder;

using geoip::TGeoIP;
using geoip::TGeoIPCity;

mmdbimport::ImportedDatabase ImportFile(const std::string& path, int edition = 2) {
    mmdbimport::NoProgress progress;
    return mmdbimport::MmdbCityImporter({edition}, progress).Import(path);
}

TEST(MmdbCityImporter, StoresEqualRecordsOnceAndMergesTheirNeighbouringRanges) {
    MmdbTestWriter writer;
    // Three data records that differ only in fields the legacy record does
    // not keep (state2/timezone), so they convert to one record.
    writer.Insert(Ip(10, 0, 0, 0), 9, FlatCity("US", "Ohio", "Dayton", 39.76, -84.19, "", "A"));
    writer.Insert(Ip(10, 128, 0, 0), 9, FlatCity("US", "Ohio", "Dayton", 39.76, -84.19, "", "B"));
    writer.Insert(Ip(11, 0, 0, 0), 8, FlatCity("US", "Ohio", "Dayton", 39.76, -84.19, "", "C"));
    writer.Insert(Ip(12, 0, 0, 0), 8, FlatCity("US", "Ohio", "Akron", 41.08, -81.52));
    TempFolder dir;
    writer.WriteTo(dir.File("s.mmdb"));

    const auto db = ImportFile(dir.File("s.mmdb"));
    EXPECT_EQ(db.stats.sourceRecords, 4u);
    ASSERT_EQ(db.set.records.size(), 2u);
    ASSERT_EQ(db.set.ranges.size(), 2u);
    EXPECT_EQ(db.set.ranges[0].first, Ip(10, 0, 0, 0));
    EXPECT_EQ(db.set.ranges[0].last, Ip(11, 255, 255, 255));
    EXPECT_EQ(db.set.records[db.set.ranges[1].recordIndex].city, "Akron");
}

TEST(MmdbCityImporter, CountsCodesMissingFromTheTablesAndRecordsWithoutACountry) {
    MmdbTestWriter writer;
    writer.Insert(Ip(1, 0, 0, 0), 8, FlatCity("XK", "", "Pristina", 42.66, 21.16));
    writer.Insert(Ip(2, 0, 0, 0), 8, FlatCity("XK", "", "Prizren", 42.21, 20.74));
    writer.Insert(Ip(3, 0, 0, 0), 8, FlatCity("", "", "", 0, 0));
    writer.Insert(Ip(4, 0, 0, 0), 8, FlatCity("cw", "", "Willemstad", 12.1, -68.93));
    TempFolder dir;
    writer.WriteTo(dir.File("s.mmdb"));
    const auto db = ImportFile(dir.File("s.mmdb"));
    EXPECT_EQ(db.stats.unknownCountries, (std::map<std::string, std::size_t>{{"XK", 2}}));
    EXPECT_EQ(db.stats.withoutCountry, 1u);
    std::map<std::string, int> indexOfCity;
    for (const auto& r : db.set.records)
        indexOfCity[r.city] = r.countryIndex;
    EXPECT_EQ(indexOfCity["Pristina"], 0);
    EXPECT_EQ(indexOfCity["Willemstad"], 10); // "AN", Netherlands Antilles
}

// What the program's reader answers after a full build.
struct LookupCase {
    const char* name;
    bool nested;
    int edition;
    Value value;
    TGeoIPCity expected;
};
void PrintTo(const LookupCase& c, std::ostream* os) {
    *os << c.name;
}

class BuildAndLookupTest : public ::testing::TestWithParam<LookupCase> {};

TEST_P(BuildAndLookupTest, TheReaderAnswersWhatTheSourceHolds) {
    const LookupCase& c = GetParam();
    MmdbTestWriter writer(c.nested ? 6 : 4, c.nested ? 28 : 24);
    writer.Insert(Ip(81, 2, 69, 0), 24, c.value);
    writer.Insert(Ip(81, 2, 70, 0), 24,
                  c.nested ? NestedCity("GB", "", "Elsewhere", 1, 1)
                           : FlatCity("GB", "", "Elsewhere", 1, 1));
    TempFolder dir;
    writer.WriteTo(dir.File("s.mmdb"));

    std::ostringstream out, err;
    mmdbimport::NoProgress progress;
    mmdbimport::BuildCityDatabaseFromMmdb(
        {dir.File("s.mmdb"), dir.File("GeoLiteCity.dat"), {c.edition, true}, "/nonexistent"},
        progress, out, err);
    EXPECT_NE(out.str().find(c.nested ? "record shape: nested" : "record shape: flat"),
              std::string::npos)
        << out.str();

    TGeoIPCity city;
    TGeoIP reader(dir.File("GeoLiteCity.dat"));
    ASSERT_EQ(reader.LookupCity("81.2.69.160", city), geoip::lrFound);
    EXPECT_EQ(city, c.expected);
    TGeoIPCity untouched;
    EXPECT_EQ(TGeoIP(dir.File("GeoLiteCity.dat")).LookupCity("81.2.71.1", untouched),
              geoip::lrNotFound);
}

TGeoIPCity City(std::string code, std::string name, std::string region, std::string city,
                std::string postal, double lat, double lon, int dma = 0) {
    return {code, name, region, city, postal, lat, lon, dma, 0};
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, BuildAndLookupTest,
    ::testing::Values(
        LookupCase{"flat_latin1_and_rounded_floats", false, 6,
                   FlatCity("CH", "Zürich", "Zürich", 47.36667, 8.55, "8001"),
                   City("CH", "Switzerland", "Z\xFCrich", "Z\xFCrich", "8001", 47.3667, 8.55)},
        LookupCase{"flat_outside_latin1_is_transliterated", false, 6,
                   FlatCity("PL", "Łódź Voivodeship", "Łódź", 51.7592, 19.456),
                   City("PL", "Poland",
                        "L\xF3"
                        "dz Voivodeship",
                        "L\xF3"
                        "dz",
                        "", 51.7592, 19.456)},
        LookupCase{"nested_us_edition2_keeps_the_metro_code", true, 2,
                   NestedCity("US", "CA", "San Jose", 37.33939, -121.89496, "95141", 807),
                   City("US", "United States", "CA", "San Jose", "95141", 37.3394, -121.895, 807)},
        LookupCase{"nested_us_edition6_has_no_metro_code", true, 6,
                   NestedCity("US", "CA", "San Jose", 37.3394, -121.895, "", 807),
                   City("US", "United States", "CA", "San Jose", "", 37.3394, -121.895)},
        LookupCase{"nested_metro_code_only_for_us", true, 2,
                   NestedCity("CA", "ON", "Toronto", 43.6532, -79.3832, "M5H", 505),
                   City("CA", "Canada", "ON", "Toronto", "M5H", 43.6532, -79.3832)}),
    [](const auto& info) { return std::string(info.param.name); });

struct FailureCase {
    const char* name;
    Value value;
    const char* message;
};
void PrintTo(const FailureCase& c, std::ostream* os) {
    *os << c.name;
}

class BuildFailureTest : public ::testing::TestWithParam<FailureCase> {};

TEST_P(BuildFailureTest, WritesNothing) {
    const FailureCase& c = GetParam();
    MmdbTestWriter writer;
    writer.Insert(Ip(1, 0, 0, 0), 8, FlatCity("US", "", "Fine", 1, 1));
    writer.Insert(Ip(2, 0, 0, 0), 8, c.value);
    TempFolder dir;
    writer.WriteTo(dir.File("s.mmdb"));
    std::ostringstream out, err;
    mmdbimport::NoProgress progress;
    try {
        mmdbimport::BuildCityDatabaseFromMmdb(
            {dir.File("s.mmdb"), dir.File("out.dat"), {2, false}, "/nonexistent"}, progress, out,
            err);
        FAIL() << "built";
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
    }
    EXPECT_FALSE(std::filesystem::exists(dir.File("out.dat")));
}

INSTANTIATE_TEST_SUITE_P(
    Bad, BuildFailureTest,
    ::testing::Values(FailureCase{"other_shape_later_in_the_file",
                                  Map({{"autonomous_system_number", Uint32(15169)}}),
                                  "autonomous_system_number"},
                      FailureCase{"latitude_beyond_the_format",
                                  Map({{"country_code", Text("US")}, {"latitude", Double(2000)}}),
                                  "outside what the format stores"},
                      FailureCase{"record_too_long_without_fit",
                                  FlatCity("US", std::string(30, 'r'), std::string(30, 'c'), 1, 1),
                                  "50-byte"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(MmdbCityBuild, ADatabaseWithoutIPv4DataIsRefused) {
    for (int ipVersion : {4, 6}) {
        MmdbTestWriter writer(ipVersion, 24);
        if (ipVersion == 6) // only IPv4-mapped space, which is not ::/96
            writer.InsertIPv6({0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF, 8, 8, 8, 0}, 120,
                              FlatCity("US", "", "X", 1, 1));
        TempFolder dir;
        writer.WriteTo(dir.File("s.mmdb"));
        std::ostringstream out, err;
        mmdbimport::NoProgress progress;
        try {
            mmdbimport::BuildCityDatabaseFromMmdb(
                {dir.File("s.mmdb"), dir.File("out.dat"), {6, true}, "/nonexistent"}, progress, out,
                err);
            FAIL() << "built for IP version " << ipVersion;
        } catch (const mmdbimport::ImportError& e) {
            EXPECT_NE(std::string(e.what()).find("holds no IPv4 data"), std::string::npos)
                << e.what();
        }
        EXPECT_FALSE(std::filesystem::exists(dir.File("out.dat")));
    }
}

TEST(MmdbCityBuild, FitCutsRegionsBeforeCitiesForTheWindow) {
    MmdbTestWriter writer;
    writer.Insert(Ip(2, 0, 0, 0), 8,
                  FlatCity("US", std::string(30, 'r'), std::string(25, 'c'), 1, 1));
    TempFolder dir;
    writer.WriteTo(dir.File("s.mmdb"));
    std::ostringstream out, err;
    mmdbimport::NoProgress progress;
    mmdbimport::BuildCityDatabaseFromMmdb(
        {dir.File("s.mmdb"), dir.File("out.dat"), {6, true}, "/nonexistent"}, progress, out, err);
    EXPECT_NE(out.str().find("cut for the 50-byte window: 1\n"), std::string::npos) << out.str();
    EXPECT_NE(out.str().find("shortened records: 0"), std::string::npos) << out.str();
    TGeoIPCity city;
    ASSERT_EQ(TGeoIP(dir.File("out.dat")).LookupCity("2.3.4.5", city), geoip::lrFound);
    EXPECT_EQ(city.City, std::string(25, 'c'));
    EXPECT_EQ(city.Region, std::string(15, 'r'));
}

} // namespace
} // namespace orvanta::mmdbtest
