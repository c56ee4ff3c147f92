// SPDX-License-Identifier: GPL-3.0-or-later
// The memo text made from reply bytes.

#include "net/WhoisReplyText.h"

#include <gtest/gtest.h>

namespace {

using namespace orvanta::net;

struct TextCase {
    const char* name;
    std::string reply;
    std::string shown;
};
void PrintTo(const TextCase& c, std::ostream* os) {
    *os << c.name;
}

class ReplyText : public testing::TestWithParam<TextCase> {};

TEST_P(ReplyText, Decodes) {
    const std::string shown = WhoisReplyText(GetParam().reply);
    EXPECT_EQ(shown, GetParam().shown);
    EXPECT_TRUE(IsValidUtf8(shown));
}

INSTANTIATE_TEST_SUITE_P(
    Table, ReplyText,
    testing::Values(TextCase{"CrLf", "a\r\nb\r\n", "a\nb\n"}, TextCase{"LoneLf", "a\nb", "a\nb"},
                    TextCase{"LoneCr", "a\rb", "a\nb"}, TextCase{"CrCrLf", "a\r\r\nb", "a\n\nb"},
                    TextCase{"LfCr", "a\n\rb", "a\n\nb"},
                    TextCase{"Mixed", "1\r2\n3\r\n4", "1\n2\n3\n4"},
                    TextCase{"CutAtNul", std::string("ab\0cd", 5), "ab"},
                    TextCase{"NulFirst", std::string("\0x", 2), ""},
                    TextCase{"CrBeforeNul", std::string("a\r\0\nb", 5), "a\n"},
                    TextCase{"Utf8Kept", "caf\xc3\xa9", "caf\xc3\xa9"},
                    TextCase{"Latin1Converted", "caf\xe9", "caf\xc3\xa9"},
                    TextCase{"InvalidUtf8AfterNulIgnored", std::string("ok\0\xff", 4), "ok"},
                    TextCase{"TruncatedSequenceIsLatin1", "x\xc3", "x\xc3\x83"},
                    TextCase{"Empty", "", ""}),
    [](const auto& info) { return std::string(info.param.name); });

struct Utf8Case {
    const char* name;
    std::string bytes;
    bool valid;
};
void PrintTo(const Utf8Case& c, std::ostream* os) {
    *os << c.name;
}

class Utf8Validity : public testing::TestWithParam<Utf8Case> {};

TEST_P(Utf8Validity, Judges) {
    EXPECT_EQ(IsValidUtf8(GetParam().bytes), GetParam().valid);
}

INSTANTIATE_TEST_SUITE_P(Table, Utf8Validity,
                         testing::Values(Utf8Case{"Ascii", "abc", true},
                                         Utf8Case{"TwoByte", "\xc3\xa9", true},
                                         Utf8Case{"ThreeByte", "\xe2\x82\xac", true},
                                         Utf8Case{"FourByte", "\xf0\x9f\x98\x80", true},
                                         Utf8Case{"Overlong", "\xc0\xaf", false},
                                         Utf8Case{"OverlongThree", "\xe0\x80\xaf", false},
                                         Utf8Case{"Surrogate", "\xed\xa0\x80", false},
                                         Utf8Case{"AboveMax", "\xf4\x90\x80\x80", false},
                                         Utf8Case{"LoneContinuation", "\x80", false},
                                         Utf8Case{"BadContinuation", "\xc3\x28", false},
                                         Utf8Case{"TruncatedFour", "\xf0\x9f\x98", false},
                                         Utf8Case{"FiveByteLead", "\xf8\x88\x80\x80\x80", false}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
