// SPDX-License-Identifier: GPL-3.0-or-later
// Conversions the importers share, and the split of ranges into blocks.

#include "geoipwriter/TextConversion.h"

#include "geoipwriter/CountryMapping.h"
#include "geoipwriter/SearchTree.h"

#include <clocale>
#include <gtest/gtest.h>

namespace orvanta::geoip {
namespace {

TEST(Utf8ToLatin1Test, ConvertsTransliteratesAndReplaces) {
    struct Row {
        const char* name;
        std::string utf8;
        std::string latin1;
    } rows[] = {
        {"Ascii", "Berlin", "Berlin"},
        {"Latin1Letters", "M\xC3\xBCnchen \xC3\xA9t\xC3\xA9", "M\xFCnchen \xE9t\xE9"},
        {"HighestLatin1", "\xC3\xBF", "\xFF"},
        {"PolishTransliterated", "\xC5\x81\xC3\xB3\x64\xC5\xBA",
         "L\xF3"
         "dz"},
        {"EuroSign", "\xE2\x82\xAC", "EUR"},
        {"NoLatinForm", "\xE5\x8C\x97", "?"},
        {"LoneContinuation",
         "a\x80"
         "b",
         "a?b"},
        {"TruncatedSequence", "a\xC3", "a?"},
        {"Overlong", "\xC0\xAF", "??"},
        {"Surrogate", "\xED\xA0\x80", "???"},
        {"BeyondUnicode", "\xF4\x90\x80\x80", "????"},
        {"EmbeddedNul", std::string("a\0b", 3), std::string("a\0b", 3)},
        {"Empty", "", ""},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(Utf8ToLatin1(row.utf8), row.latin1) << row.name;
    }
}

TEST(Utf8ToLatin1Test, ResultDoesNotDependOnTheCallersLocale) {
    const char* previous = std::setlocale(LC_ALL, nullptr);
    const std::string saved = previous ? previous : "C";
    std::setlocale(LC_ALL, "C");
    const std::string inC = Utf8ToLatin1("\xC5\x81\xC3\xB3\x64\xC5\xBA");
    std::setlocale(LC_ALL, saved.c_str());
    EXPECT_EQ(inC, "L\xF3"
                   "dz");
}

TEST(Latin1ToUtf8Test, RoundTripsEveryByte) {
    std::string all;
    for (int c = 1; c < 256; ++c) {
        all += static_cast<char>(c);
    }
    EXPECT_EQ(Utf8ToLatin1(Latin1ToUtf8(all)), all);
    EXPECT_EQ(Latin1ToUtf8("\xE9"), "\xC3\xA9");
}

TEST(RoundCoordinateTest, KeepsFourDecimals) {
    struct Row {
        double in;
        double out;
    } rows[] = {{46.80004, 46.8},     {46.80005, 46.8001}, {-122.41949, -122.4195},
                {-180.00004, -180.0}, {0.00004, 0.0},      {1497.72154, 1497.7215}};
    for (const Row& row : rows) {
        EXPECT_DOUBLE_EQ(RoundCoordinate(row.in), row.out) << row.in;
    }
}

TEST(MapCountryCodeTest, MapsTableCodesAndFormerAntilles) {
    struct Row {
        const char* code;
        int index;
        bool known;
    } rows[] = {{"US", 225, true}, {"us", 225, true}, {"--", 0, true},  {"AP", 1, true},
                {"MF", 252, true}, {"TL", 216, true}, {"AN", 10, true}, {"CW", 10, true},
                {"SX", 10, true},  {"BQ", 10, true},  {"XK", 0, false}, {"SS", 0, false},
                {"", 0, false},    {"U", 0, false},   {"USA", 0, false}};
    for (const Row& row : rows) {
        CountryMapping mapping = MapCountryCode(row.code);
        EXPECT_EQ(mapping.index, row.index) << row.code;
        EXPECT_EQ(mapping.known, row.known) << row.code;
    }
}

TEST(SplitRangeTest, FewestAlignedBlocks) {
    struct Row {
        const char* name;
        std::uint32_t first, last;
        std::vector<std::pair<std::uint32_t, int>> blocks;
    } rows[] = {
        {"SingleAddress", 5, 5, {{5, 32}}},
        {"AlignedPair", 4, 5, {{4, 31}}},
        {"Unaligned", 1, 6, {{1, 32}, {2, 31}, {4, 31}, {6, 32}}},
        {"WholeSpace", 0, 0xFFFFFFFF, {{0, 1}, {0x80000000, 1}}},
        {"UpperHalf", 0x80000000, 0xFFFFFFFF, {{0x80000000, 1}}},
        {"LastAddress", 0xFFFFFFFF, 0xFFFFFFFF, {{0xFFFFFFFF, 32}}},
        {"AllButFirst", 1, 0xFFFFFFFF, {}},
    };
    for (const Row& row : rows) {
        std::vector<std::pair<std::uint32_t, int>> got;
        std::size_t count =
            SearchTree::SplitRange(row.first, row.last, [&](std::uint32_t prefix, int length) {
                got.emplace_back(prefix, length);
            });
        EXPECT_EQ(count, got.size()) << row.name;
        if (std::string(row.name) == "AllButFirst") {
            EXPECT_EQ(got.size(), 32u); // /32 at 1, /31 at 2, ..., /1 at 2^31
            continue;
        }
        EXPECT_EQ(got, row.blocks) << row.name;
    }
}

} // namespace
} // namespace orvanta::geoip
