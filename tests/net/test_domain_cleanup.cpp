// SPDX-License-Identifier: GPL-3.0-or-later
// What the domain field settles on after a paste or a keystroke.

#include "net/DomainCleanup.h"

#include <gtest/gtest.h>

namespace {

using orvanta::net::CleanDomain;

struct CleanCase {
    const char* name;
    const char* input;
    const char* settled;
};
void PrintTo(const CleanCase& c, std::ostream* os) {
    *os << c.name;
}

class DomainCleanup : public testing::TestWithParam<CleanCase> {};

TEST_P(DomainCleanup, Settles) {
    EXPECT_EQ(CleanDomain(GetParam().input), GetParam().settled);
    // A settled text is left alone by the next run.
    EXPECT_EQ(CleanDomain(GetParam().settled), GetParam().settled);
}

INSTANTIATE_TEST_SUITE_P(
    Table, DomainCleanup,
    testing::Values(CleanCase{"SchemeWwwPath", "http://www.example.org/a/b", "example.orgab"},
                    CleanCase{"UpperHttpsWww", "HTTPS://WWW.Host/", "Host"},
                    CleanCase{"Https", "https://example.org", "example.org"},
                    CleanCase{"Www", "www.example.org", "example.org"},
                    CleanCase{"InnerWww", "a.www.example.org", "a.example.org"},
                    CleanCase{"OtherSchemeKeepsColon", "ftp://example.org", "ftp:example.org"},
                    CleanCase{"TrailingPath", "example.org/a/b/", "example.orgab"},
                    CleanCase{"PatternMadeByRemoval", "wwhttp://w.example.org", "example.org"},
                    CleanCase{"HttpColonOnly", "http:/", "http:"}, CleanCase{"OnlyWww", "www.", ""},
                    CleanCase{"MixedCaseWww", "wWw.X", "X"},
                    CleanCase{"NonOverlapping", "wwww.x", "wx"},
                    CleanCase{"NestedWww", "wwwww.w.x", "x"},
                    CleanCase{"CaseOfRestKept", "HtTp://MiXeD.Org", "MiXeD.Org"},
                    CleanCase{"Utf8Untouched",
                              "b\xc3\xbc"
                              "cher.de/",
                              "b\xc3\xbc"
                              "cher.de"},
                    CleanCase{"Empty", "", ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DomainCleanupTyping, KeyByKey) {
    // Each keystroke appends one character, then the field cleans itself.
    auto type = [](const std::string& keys) {
        std::string field;
        for (char key : keys) {
            field = CleanDomain(field + key);
        }
        return field;
    };
    EXPECT_EQ(type("www."), "");
    EXPECT_EQ(type("http://"), "http:");
    EXPECT_EQ(type("www.host/x"), "hostx");
}

} // namespace
