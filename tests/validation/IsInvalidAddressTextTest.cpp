// SPDX-License-Identifier: GPL-3.0-or-later
#include "validation/IsInvalidAddressText.h"

#include "validation/EConvertError.h"

#include <gtest/gtest.h>
#include <ostream>
#include <string>

namespace {

enum class Expect { Accept, Reject, ConvertError };

struct Case {
    const char* name;
    std::string text;
    Expect expect;
};

void PrintTo(const Case& c, std::ostream* os) {
    *os << c.name;
}

std::string Zeros(std::size_t n) {
    return std::string(n, '0');
}

// A valid address padded with zeros in its last group up to `length` characters.
std::string PaddedTo(std::size_t length) {
    return "1.2.3." + Zeros(length - 6);
}

const Case kCases[] = {
    {"Empty", "", Expect::Reject},
    {"Plain", "1.2.3.4", Expect::Accept},
    {"TenNet", "10.0.0.1", Expect::Accept},
    {"AllMax", "255.255.255.255", Expect::Accept},
    {"TrailingZeroGroups", "1.0.0.0", Expect::Accept},
    {"ZeroAsTwoZeros", "1.00.2.3", Expect::Accept},
    {"ZeroAsThreeZeros", "1.000.2.3", Expect::Accept},
    {"LastZeroAsTwoZeros", "1.2.3.00", Expect::Accept},
    {"LastZeroAsSixteenZeros", "1.2.3." + Zeros(16), Expect::Accept},
    {"FirstGroupZero", "0.1.2.3", Expect::Reject},
    {"FirstGroupLeadingZero", "01.2.3.4", Expect::Reject},
    {"SecondGroupLeadingZero", "1.01.2.3", Expect::Reject},
    {"ThirdGroupLeadingZero", "1.2.03.4", Expect::Reject},
    {"LastGroupLongLeadingZeros", "1.2.3." + Zeros(13) + "255", Expect::Reject},
    {"TwoDots", "1.2.3", Expect::Reject},
    {"FourDots", "1.2.3.4.5", Expect::Reject},
    {"FourthDotAtEnd", "1.2.3.4.", Expect::Reject},
    {"EmptySecondGroup", "1..3.4", Expect::Reject},
    {"EmptyThirdGroup", "1.2..4", Expect::Reject},
    {"StartsWithDot", ".1.2.3", Expect::Reject},
    {"EndsWithThirdDot", "1.2.3.", Expect::Reject},
    {"FirstGroupFourDigits", "1234.1.1.1", Expect::Reject},
    {"SecondGroupFourDigits", "1.1234.1.1", Expect::Reject},
    {"ThirdGroupFourDigits", "1.1.1234.1", Expect::Reject},
    {"LastGroupFourDigits", "1.2.3.1234", Expect::Reject},
    {"FirstAbove255", "256.1.1.1", Expect::Reject},
    {"LastAbove255", "1.2.3.256", Expect::Reject},
    {"AllNines", "999.999.999.999", Expect::Reject},
    {"LastInt32Max", "1.2.3.2147483647", Expect::Reject},
    {"LastInt32MaxPlusOne", "1.2.3.2147483648", Expect::ConvertError},
    {"LastElevenNines", "1.2.3.99999999999", Expect::ConvertError},
    {"FirstZeroBeforeHugeLast", "0.1.2.99999999999", Expect::Reject},
    {"SecondLeadingZeroBeforeHugeLast", "1.02.3.99999999999", Expect::Reject},
    {"LastAbove255BeforeHugeLast", "1.2.300.99999999999", Expect::Reject},
    {"LeadingBlank", " 1.2.3.4", Expect::Reject},
    {"TrailingBlank", "1.2.3.4 ", Expect::Reject},
    {"Commas", "1,2,3,4", Expect::Reject},
    {"Letters", "x.y.z.w", Expect::Reject},
    {"NegativeLast", "1.2.3.-4", Expect::Reject},
    {"PlusSign", "+1.2.3.4", Expect::Reject},
    {"Tab", "1.2.3.4\t", Expect::Reject},
    {"EmbeddedNul", std::string("1.2.3.4\0", 8), Expect::Reject},
    {"HighByte", "1.2.3.4\xe9", Expect::Reject},
    {"Length255", PaddedTo(255), Expect::Accept},
    {"Length256", PaddedTo(256), Expect::Reject},
    {"Length1000", PaddedTo(1000), Expect::Reject},
    // Without the length bound a naive 8-bit scan would only look at the
    // first (length mod 256) characters: 257 of them would look like "1".
    {"Length257WrapsToOneChar", "1" + std::string(".") + PaddedTo(255), Expect::Reject},
};

class IsInvalidAddressTextTest : public testing::TestWithParam<Case> {};

TEST_P(IsInvalidAddressTextTest, Classifies) {
    const Case& c = GetParam();
    switch (c.expect) {
    case Expect::Accept:
        EXPECT_FALSE(IsInvalidAddressText(c.text));
        break;
    case Expect::Reject:
        EXPECT_TRUE(IsInvalidAddressText(c.text));
        break;
    case Expect::ConvertError:
        EXPECT_THROW(IsInvalidAddressText(c.text), EConvertError);
        break;
    }
}

INSTANTIATE_TEST_SUITE_P(Table, IsInvalidAddressTextTest, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<Case>& info) { return info.param.name; });

TEST(IsInvalidAddressTextError, NamesTheFourthGroup) {
    try {
        IsInvalidAddressText("1.2.3.2147483648");
        FAIL() << "no error raised";
    } catch (const EConvertError& e) {
        EXPECT_STREQ(e.what(), "'2147483648' is not a valid integer value");
    }
}

TEST(IsInvalidAddressTextError, KeepsLeadingZerosOfTheGroupInItsMessage) {
    try {
        IsInvalidAddressText("1.2.3.0099999999999");
        FAIL() << "no error raised";
    } catch (const EConvertError& e) {
        EXPECT_STREQ(e.what(), "'0099999999999' is not a valid integer value");
    }
}

} // namespace
