// SPDX-License-Identifier: GPL-3.0-or-later
#include "mmdbimport/CityDatabaseFitter.h"

#include "TempFolder.h"
#include "geoip/TGeoIP.h"
#include "geoipwriter/CityDatabaseWriter.h"
#include "mmdbimport/ImportedDatabase.h"
#include "mmdbimport/Progress.h"
#include "mmdbimport/RegionCodes.h"

#include <gtest/gtest.h>

namespace orvanta::mmdbtest {
namespace {

using mmdbimport::CityDatabaseFitter;
using mmdbimport::ImportedDatabase;
using orvanta::test::TempFolder;

const mmdbimport::RegionCodes& Codes() {
    static const auto codes = mmdbimport::RegionCodes::FromJson(R"({"3166-2": [
      {"code": "US-CA", "name": "California"}, {"code": "IT-25", "name": "Lombardia"}]})");
    return codes;
}

// Edition 6 record sizes: 10 bytes plus the three texts. The last record is
// the smallest, so the writer's largest tree value is close to the bound the
// fitter works with.
ImportedDatabase Sample() {
    ImportedDatabase db;
    auto add = [&](std::uint32_t firstOctet, const std::string& country, std::uint8_t index,
                   geoip::CityRecordData record) {
        record.countryIndex = index;
        db.set.ranges.push_back({firstOctet << 24, (firstOctet << 24) | 0xFFFFFF,
                                 std::uint32_t(db.set.records.size())});
        db.set.records.push_back(std::move(record));
        db.countryCodes.push_back(country);
    };
    add(1, "US", 225, {0, "California", "San Francisco", "94105", 37.7749, -122.4194, 0, 0});
    add(2, "IT", 108, {0, "Lombardia", "Milano", "20121", 45.4642, 9.19, 0, 0});
    add(3, "FR", 74, {0, "Atlantis", "Averyveryverylongcityname", "", 48.85, 2.35, 0, 0});
    add(4, "", 0, {});
    return db;
}

struct FitCase {
    const char* name;
    std::uint64_t roomForRecords; // the limit is the tree's node count plus this
    bool fits;
    std::vector<std::size_t> changedPerStep;
    std::size_t cityLength; // when the fourth step ran
};
void PrintTo(const FitCase& c, std::ostream* os) {
    *os << c.name;
}

class FitterTest : public ::testing::TestWithParam<FitCase> {};

TEST_P(FitterTest, GivesUpDetailInOrderUntilItFits) {
    const FitCase& c = GetParam();
    ImportedDatabase db = Sample();
    const geoip::WriteOptions options{6, true};
    const std::size_t nodes = geoip::MeasureCityDatabase(db.set, options).treeNodes;
    mmdbimport::NoProgress progress;
    const CityDatabaseFitter fitter(options, &Codes(), progress, nodes + c.roomForRecords);
    const auto report = fitter.Fit(db);

    EXPECT_EQ(report.fits, c.fits);
    std::vector<std::size_t> changed;
    for (const auto& step : report.steps)
        changed.push_back(step.recordsChanged);
    EXPECT_EQ(changed, c.changedPerStep);
    if (c.changedPerStep.size() == 4) {
        EXPECT_EQ(report.steps.back().cityLength, c.cityLength);
    }
    if (c.fits) {
        EXPECT_LE(report.final.largestValue, nodes + c.roomForRecords);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Room, FitterTest,
    ::testing::Values(FitCase{"plenty", 1000, true, {}, 0},
                      FitCase{"codes_suffice", 107, true, {2}, 0},
                      FitCase{"postal_codes_too", 97, true, {2, 2}, 0},
                      FitCase{"uncoded_regions_too", 89, true, {2, 2, 1}, 0},
                      FitCase{"one_city_shortened", 79, true, {2, 2, 1, 1}, 15},
                      FitCase{"every_long_city_shortened", 60, true, {2, 2, 1, 3}, 5},
                      FitCase{"cannot_fit", 30, false, {2, 2, 1, 3}, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CityDatabaseFitter, RecordAreaMatchesTheWriter) {
    const ImportedDatabase db = Sample();
    for (int edition : {2, 6}) {
        mmdbimport::NoProgress progress;
        const CityDatabaseFitter fitter({edition, true}, nullptr, progress);
        EXPECT_EQ(fitter.RecordAreaSize(db.set),
                  geoip::MeasureCityDatabase(db.set, {edition, true}).recordBytes)
            << edition;
    }
}

TEST(CityDatabaseFitter, TheFittedSetIsWrittenAndReadBack) {
    ImportedDatabase db = Sample();
    const geoip::WriteOptions options{6, true};
    const std::size_t nodes = geoip::MeasureCityDatabase(db.set, options).treeNodes;
    mmdbimport::NoProgress progress;
    ASSERT_TRUE(CityDatabaseFitter(options, &Codes(), progress, nodes + 97).Fit(db).fits);
    TempFolder dir;
    geoip::WriteCityDatabase(dir.File("f.dat"), db.set, options);
    geoip::TGeoIPCity city;
    ASSERT_EQ(geoip::TGeoIP(dir.File("f.dat")).LookupCity("1.2.3.4", city), geoip::lrFound);
    EXPECT_EQ(city.Region, "CA");
    EXPECT_EQ(city.City, "San Francisco");
    EXPECT_EQ(city.PostalCode, "");
    ASSERT_EQ(geoip::TGeoIP(dir.File("f.dat")).LookupCity("3.0.0.1", city), geoip::lrFound);
    EXPECT_EQ(city.Region, "Atlantis");
}

TEST(CityDatabaseFitter, RecordsThatBecomeEqualAreMerged) {
    ImportedDatabase db;
    db.set.records = {{225, "California", "X", "1", 1, 1, 0, 0}, {225, "CA", "X", "2", 1, 1, 0, 0}};
    db.set.ranges = {{0, 99, 0}, {100, 199, 1}};
    db.countryCodes = {"US", "US"};
    mmdbimport::NoProgress progress;
    const std::size_t nodes = geoip::MeasureCityDatabase(db.set, {6, true}).treeNodes;
    CityDatabaseFitter({6, true}, &Codes(), progress, nodes + 14).Fit(db);
    ASSERT_EQ(db.set.records.size(), 1u);
    ASSERT_EQ(db.set.ranges.size(), 1u);
    EXPECT_EQ(db.set.ranges[0].last, 199u);
}

} // namespace
} // namespace orvanta::mmdbtest
