// SPDX-License-Identifier: GPL-3.0-or-later
// Overlapping organisation ranges: the narrower one answers inside it, the
// wider one around it, and texts are kept once and fitted to the window.

#include "geoipwriter/AsnRange.h"

#include "geoip/TextRecord.h"

#include <gtest/gtest.h>

namespace orvanta::geoip {
namespace {

struct OverlapCase {
    const char* name;
    std::vector<AsnRange> given;
    std::vector<AsnRange> expected;
};

void PrintTo(const OverlapCase& c, std::ostream* os) {
    *os << c.name;
}

constexpr AddressValue Top = ~AddressValue(0);

class ResolveOverlapsTest : public ::testing::TestWithParam<OverlapCase> {};

TEST_P(ResolveOverlapsTest, NarrowestRangeAnswers) {
    EXPECT_EQ(ResolveOverlaps(GetParam().given), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ResolveOverlapsTest,
    ::testing::Values(
        OverlapCase{"Disjoint", {{20, 29, 1}, {0, 9, 0}}, {{0, 9, 0}, {20, 29, 1}}},
        OverlapCase{
            "NestedInTheMiddle", {{0, 99, 0}, {40, 49, 1}}, {{0, 39, 0}, {40, 49, 1}, {50, 99, 0}}},
        OverlapCase{"NarrowFirstInInput",
                    {{40, 49, 1}, {0, 99, 0}},
                    {{0, 39, 0}, {40, 49, 1}, {50, 99, 0}}},
        OverlapCase{"SharedStart", {{0, 99, 0}, {0, 9, 1}}, {{0, 9, 1}, {10, 99, 0}}},
        OverlapCase{"SharedEnd", {{0, 99, 0}, {90, 99, 1}}, {{0, 89, 0}, {90, 99, 1}}},
        OverlapCase{"ThreeLevels",
                    {{0, 99, 0}, {10, 59, 1}, {20, 29, 2}},
                    {{0, 9, 0}, {10, 19, 1}, {20, 29, 2}, {30, 59, 1}, {60, 99, 0}}},
        OverlapCase{"CrossingNarrowerWins", {{0, 49, 0}, {40, 59, 1}}, {{0, 39, 0}, {40, 59, 1}}},
        OverlapCase{"EqualWidthFirstWins", {{0, 9, 0}, {0, 9, 1}}, {{0, 9, 0}}},
        OverlapCase{"NeighboursOfOneTextMerge",
                    {{0, 9, 3}, {10, 19, 3}, {21, 30, 3}},
                    {{0, 19, 3}, {21, 30, 3}}},
        OverlapCase{"InnerOfSameTextMerges", {{0, 99, 0}, {40, 49, 0}}, {{0, 99, 0}}},
        OverlapCase{"WholeSpaceWithHoleAtTheTop",
                    {{0, Top, 0}, {Top - 1, Top, 1}},
                    {{0, Top - 2, 0}, {Top - 1, Top, 1}}},
        OverlapCase{"Empty", {}, {}}));

TEST(AsnRecordTextTest, FitsTheWindowAtACharacterBoundary) {
    EXPECT_EQ(AsnRecordText(15169, "Google LLC").text, "AS15169 Google LLC");
    EXPECT_EQ(AsnRecordText(7, "").text, "AS7");
    // "AS1 " is 4 bytes; 2-byte characters from there cannot end on byte 299.
    std::string name;
    for (int i = 0; i < 200; ++i) {
        name += "\xC3\xA9";
    }
    const FittedText fitted = AsnRecordText(1, name);
    EXPECT_TRUE(fitted.shortened);
    EXPECT_LT(fitted.text.size(), TextRecordWindow);
    EXPECT_EQ(fitted.text.size() % 2, 0u);
    EXPECT_EQ(fitted.text.substr(0, 6), "AS1 \xC3\xA9");
    EXPECT_FALSE(AsnRecordText(1, std::string(295, 'x')).shortened); // 299 bytes: fits
    EXPECT_TRUE(AsnRecordText(1, std::string(296, 'x')).shortened);
}

TEST(AsnRangeSetTest, IdenticalTextsAreStoredOnce) {
    AsnRangeSet set;
    EXPECT_EQ(set.TextIndex("AS1 A"), 0u);
    EXPECT_EQ(set.TextIndex("AS2 B"), 1u);
    EXPECT_EQ(set.TextIndex("AS1 A"), 0u);
    EXPECT_EQ(set.texts.size(), 2u);
}

} // namespace
} // namespace orvanta::geoip
