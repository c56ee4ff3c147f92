// SPDX-License-Identifier: GPL-3.0-or-later
// The summary's arithmetic: rows in, lines per country and organisation out.
#include "resultfiles/ResultSummary.h"

#include <gtest/gtest.h>

namespace {

using namespace orvanta::resultfiles;

struct In {
    const char* address;
    const char* country; // "" when not found
    std::optional<std::uint32_t> asn;
    const char* organization;
    std::optional<std::uint64_t> count;
    std::optional<std::uint64_t> bytes;
};

ResultRecord Row(const In& in) {
    ResultRecord row;
    row.address = in.address;
    row.found = *in.country != '\0';
    row.countryCode = in.country;
    row.countryName = std::string(in.country) + " name";
    row.asn = in.asn;
    row.organization = in.organization;
    row.count = in.count;
    row.bytes = in.bytes;
    return row;
}

struct Case {
    const char* name;
    std::vector<In> rows;
    std::vector<SummaryLine> countries;
    std::vector<SummaryLine> organizations;
};

class Summary : public testing::TestWithParam<Case> {};

TEST_P(Summary, AddsUpPerCountryAndOrganisation) {
    const Case& c = GetParam();
    ResultSummary summary;
    summary.Add(Row({"9.9.9.9", "XX", 1, "Gone", 7, 7}));
    summary.Clear(); // nothing of it may stay
    for (const In& in : c.rows)
        summary.Add(Row(in));
    EXPECT_EQ(summary.Countries(), c.countries);
    EXPECT_EQ(summary.Organizations(), c.organizations);
}

const Case kCases[] = {
    {"Nothing", {}, {}, {}},
    {"SingleLocatesCountOnceEach",
     {{"1.1.1.1", "AU", 13335, "Cloudflare", {}, {}},
      {"8.8.8.8", "US", 15169, "Google", {}, {}},
      {"8.8.4.4", "US", 15169, "Google", {}, {}}},
     {{"US", "US name", 2, 2, {}, 200.0 / 3}, {"AU", "AU name", 1, 1, {}, 100.0 / 3}},
     {{"AS15169 Google", "AS15169 Google", 2, 2, {}, 200.0 / 3},
      {"AS13335 Cloudflare", "AS13335 Cloudflare", 1, 1, {}, 100.0 / 3}}},
    {"CountsWeighAndOrderByOccurrences",
     {{"1.0.0.1", "DE", {}, "", 1, {}},
      {"1.0.0.2", "DE", {}, "", 1, {}},
      {"1.0.0.3", "DE", {}, "", 1, {}},
      {"2.0.0.1", "FR", 64496, "", 97, {}}},
     {{"FR", "FR name", 1, 97, {}, 97}, {"DE", "DE name", 3, 3, {}, 3}},
     {{"AS64496", "AS64496", 1, 97, {}, 97}, {"", "Unknown", 3, 3, {}, 3}}},
    {"SameAddressFromTwoRunsIsOneAddress",
     {{"3.3.3.3", "NL", {}, "Org", 4, 100}, {"3.3.3.3", "NL", {}, "Org", 6, {}}},
     {{"NL", "NL name", 1, 10, 100, 100}},
     {{"Org", "Org", 1, 10, 100, 100}}},
    {"AnAddressThatMovedCountsOnceInEachLine",
     {{"5.5.5.5", "NL", {}, "a", 1, {}},
      {"5.5.5.5", "BE", {}, "a", 2, {}},
      {"5.5.5.5", "BE", {}, "a", 1, {}}},
     {{"BE", "BE name", 1, 3, {}, 75}, {"NL", "NL name", 1, 1, {}, 25}},
     {{"a", "a", 1, 4, {}, 100}}},
    {"NotFoundRowsHaveNoCountry",
     {{"10.0.0.1", "", {}, "", 2, 5}, {"10.0.0.2", "", {}, "", 2, 6}},
     {{"", "Unknown", 2, 4, 11, 100}},
     {{"", "Unknown", 2, 4, 11, 100}}},
    {"TiesByAddressesThenName",
     {{"1.1.1.1", "BB", {}, "b", 2, {}},
      {"1.1.1.2", "AA", {}, "a", 2, {}},
      {"1.1.1.3", "CC", {}, "c", 1, {}},
      {"1.1.1.4", "CC", {}, "c", 1, {}}},
     {{"CC", "CC name", 2, 2, {}, 100.0 / 3},
      {"AA", "AA name", 1, 2, {}, 100.0 / 3},
      {"BB", "BB name", 1, 2, {}, 100.0 / 3}},
     {{"c", "c", 2, 2, {}, 100.0 / 3},
      {"a", "a", 1, 2, {}, 100.0 / 3},
      {"b", "b", 1, 2, {}, 100.0 / 3}}},
    {"SumsStopAtTheLargestNumber",
     {{"4.4.4.4", "SE", {}, "x", UINT64_MAX, UINT64_MAX}, {"4.4.4.5", "SE", {}, "x", 5, 5}},
     {{"SE", "SE name", 2, UINT64_MAX, UINT64_MAX, 100}},
     {{"x", "x", 2, UINT64_MAX, UINT64_MAX, 100}}},
};

INSTANTIATE_TEST_SUITE_P(Rows, Summary, testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

// More addresses than fit in the first room: the table grows under them,
// and each is still found again, in whichever line it first counted.
TEST(Summary, ManyAddressesSeenAgainCountOnce) {
    constexpr int kMany = 150'000;
    ResultSummary summary;
    const ResultSummary::Line here = summary.CountryLine("NL", "Netherlands");
    const ResultSummary::Line there = summary.OrganizationLine("x");
    for (int pass = 0; pass < 2; ++pass) {
        if (pass == 1)
            summary.Reserve(kMany);
        for (int i = 0; i < kMany; ++i)
            summary.Add("10." + std::to_string(i >> 16) + "." + std::to_string((i >> 8) & 255) +
                            "." + std::to_string(i & 255),
                        here, there, 1, {});
    }
    const std::vector<SummaryLine> countries = summary.Countries();
    ASSERT_EQ(countries.size(), 1u);
    EXPECT_EQ(countries[0].addresses, std::uint64_t{kMany});
    EXPECT_EQ(countries[0].occurrences, std::uint64_t{2 * kMany});
    EXPECT_EQ(summary.Organizations().at(0).addresses, std::uint64_t{kMany});
}

} // namespace
