// SPDX-License-Identifier: GPL-3.0-or-later
#include "tabletext/DelimitedText.h"

#include "tabletext/DecimalPoint.h"

#include <gtest/gtest.h>

namespace {

using namespace orvanta::tabletext;

struct FieldCase {
    const char* name;
    std::string field;
    char delimiter;
    std::string quoted;
};

void PrintTo(const FieldCase& c, std::ostream* os) {
    *os << c.name;
}

class QuotedFieldTest : public testing::TestWithParam<FieldCase> {};

TEST_P(QuotedFieldTest, QuotesOnlyWhatMustBe) {
    EXPECT_EQ(QuotedField(GetParam().field, GetParam().delimiter), GetParam().quoted);
}

INSTANTIATE_TEST_SUITE_P(
    Table, QuotedFieldTest,
    testing::Values(FieldCase{"Plain", "Mountain View", ',', "Mountain View"},
                    FieldCase{"Empty", "", ',', ""},
                    FieldCase{"Comma", "Seattle, WA", ',', "\"Seattle, WA\""},
                    FieldCase{"CommaInTabLine", "Seattle, WA", '\t', "Seattle, WA"},
                    FieldCase{"Tab", "a\tb", '\t', "\"a\tb\""},
                    FieldCase{"TabInCsv", "a\tb", ',', "a\tb"},
                    FieldCase{"Quotes", "say \"hi\"", ',', "\"say \"\"hi\"\"\""},
                    FieldCase{"LoneQuote", "\"", '\t', "\"\"\"\""},
                    FieldCase{"CrLf", "a\r\nb", ',', "\"a\r\nb\""},
                    FieldCase{"LoneCr", "a\rb", '\t', "\"a\rb\""},
                    FieldCase{"Utf8Untouched", "Z\xc3\xbcrich \xe6\x9d\xb1\xe4\xba\xac", ',',
                              "Z\xc3\xbcrich \xe6\x9d\xb1\xe4\xba\xac"},
                    FieldCase{"BlanksKept", "  x  ", ',', "  x  "}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DelimitedLine, JoinsQuotedFieldsWithoutLineEnd) {
    EXPECT_EQ(DelimitedLine({"a,b", "c", "", "d\te"}, '\t'), "a,b\tc\t\t\"d\te\"");
    EXPECT_EQ(DelimitedLine({}, ','), "");
}

TEST(CsvText, HeaderThenRowsEachEndedByCrLf) {
    EXPECT_EQ(CsvText({"h1", "h,2"}, {{"1", "x\ny"}, {"", ""}}),
              "h1,\"h,2\"\r\n1,\"x\ny\"\r\n,\r\n");
    EXPECT_EQ(CsvText({"only"}, {}), "only\r\n");
}

struct PointCase {
    const char* name;
    std::string text;
    std::string withPoint;
};

void PrintTo(const PointCase& c, std::ostream* os) {
    *os << c.name;
}

class WithDecimalPointTest : public testing::TestWithParam<PointCase> {};

TEST_P(WithDecimalPointTest, ReplacesTheSeparatorOfNumbersOnly) {
    EXPECT_EQ(WithDecimalPoint(GetParam().text), GetParam().withPoint);
}

INSTANTIATE_TEST_SUITE_P(
    Table, WithDecimalPointTest,
    testing::Values(
        PointCase{"Point", "37.386", "37.386"}, PointCase{"Comma", "-122,0838", "-122.0838"},
        PointCase{"Whole", "-180", "-180"}, PointCase{"Zero", "0", "0"},
        PointCase{"ArabicSeparator",
                  "37\xd9\xab"
                  "4",
                  "37.4"},
        PointCase{"Exponent", "1e-05", "1e-05"},
        PointCase{"FractionAndExponent", "1,5e+20", "1.5e+20"},
        PointCase{"ErrorText", "ERROR City not present", "ERROR City not present"},
        PointCase{"Empty", "", ""}, PointCase{"Minus", "-", "-"},
        PointCase{"TrailingSeparator", "12,", "12,"}, PointCase{"TwoSeparators", "1,2,3", "1,2,3"},
        PointCase{"TextAfter", "1,5 km", "1,5 km"}, PointCase{"SignAsSeparator", "1-2", "1-2"},
        PointCase{"BrokenUtf8",
                  "1\xd9"
                  "2",
                  "1\xd9"
                  "2"}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
