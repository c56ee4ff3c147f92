// SPDX-License-Identifier: GPL-3.0-or-later
#include "validation/Ipv6AddressText.h"

#include "validation/IsInvalidAddressText.h"

#include <gtest/gtest.h>
#include <string>

namespace {

struct Case {
    const char* name;
    std::string text;
    bool ipv6;
};

class Ipv6AddressTextTest : public testing::TestWithParam<Case> {};

TEST_P(Ipv6AddressTextTest, TakesWhatInetPtonTakesAndNoDottedQuad) {
    const Case& c = GetParam();
    EXPECT_EQ(IsIpv6AddressText(c.text), c.ipv6);
    // No text is ever both: the IPv4 gate keeps its decisions.
    if (c.ipv6) {
        EXPECT_TRUE(IsInvalidAddressText(c.text));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, Ipv6AddressTextTest,
    testing::Values(
        Case{"Unspecified", "::", true}, Case{"Loopback", "::1", true},
        Case{"LeadingGroupOnly", "1::", true}, Case{"Ipv4Mapped", "::ffff:1.2.3.4", true},
        Case{"FullEightGroups", "2001:0db8:0000:0000:0000:ff00:0042:8329", true},
        Case{"UpperCase", "2A00:1450:4001:82A::200E", true},
        Case{"NineGroups", "1:2:3:4:5:6:7:8:9", false}, Case{"TwoGaps", "1::2::3", false},
        Case{"TripleColon", ":::", false}, Case{"FiveDigitGroup", "12345::", false},
        Case{"ZoneIndex", "fe80::1%eth0", false}, Case{"Brackets", "[2001:db8::1]", false},
        Case{"Long", std::string(300, '1'), false},
        Case{"LongColons", "1" + std::string(299, ':'), false}, Case{"Empty", "", false},
        Case{"DottedQuad", "1.2.3.4", false}, Case{"EmbeddedNul", std::string("::1\0x", 5), false},
        Case{"Blank", " ::1", false}),
    [](const testing::TestParamInfo<Case>& i) { return i.param.name; });

TEST(Ipv6AddressTextBytes, NetworkOrder) {
    const auto bytes = ParseIpv6AddressText("2001:db8::ff01");
    ASSERT_TRUE(bytes.has_value());
    EXPECT_EQ((*bytes)[0], 0x20);
    EXPECT_EQ((*bytes)[1], 0x01);
    EXPECT_EQ((*bytes)[3], 0xb8);
    EXPECT_EQ((*bytes)[14], 0xff);
    EXPECT_EQ((*bytes)[15], 0x01);
}

} // namespace
