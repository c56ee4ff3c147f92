// SPDX-License-Identifier: GPL-3.0-or-later
#include "geoip/GeoIPCountries.h"

#include <cstring>
#include <gtest/gtest.h>
#include <set>
#include <string>

namespace orvanta::geoip {
namespace {

TEST(CountriesTest, TablesAreParallelUniqueAndTwoCharacterCodes) {
    std::set<std::string> codes;
    std::set<std::string> names;
    for (std::size_t i = 0; i < CountryCount; ++i) {
        ASSERT_NE(CountryCodes[i], nullptr) << i;
        ASSERT_NE(CountryNames[i], nullptr) << i;
        EXPECT_EQ(std::strlen(CountryCodes[i]), 2u) << i;
        EXPECT_GT(std::strlen(CountryNames[i]), 0u) << i;
        codes.insert(CountryCodes[i]);
        names.insert(CountryNames[i]);
    }
    EXPECT_EQ(CountryCount, 253u);
    EXPECT_EQ(codes.size(), CountryCount);
    EXPECT_EQ(names.size(), CountryCount);
}

TEST(CountriesTest, SampledEntries) {
    struct Row {
        std::size_t index;
        const char* code;
        const char* name;
    } rows[] = {
        {0, "--", "N/A"},           {44, "CI", "Cote D'Ivoire"},  {122, "KZ", "Kazakstan"},
        {216, "TL", "Timor-Leste"}, {225, "US", "United States"}, {252, "MF", "Saint Martin"}};
    for (const Row& row : rows) {
        EXPECT_STREQ(CountryCodes[row.index], row.code) << row.index;
        EXPECT_STREQ(CountryNames[row.index], row.name) << row.index;
    }
}

} // namespace
} // namespace orvanta::geoip
