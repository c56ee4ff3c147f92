// SPDX-License-Identifier: GPL-3.0-or-later
// Dotted-quad parsing and lookups that every machine can answer.

#include "net/NameResolution.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <vector>

namespace {

using namespace orvanta::net;

struct QuadCase {
    const char* name;
    const char* text;
    bool valid;
    std::uint32_t hostOrder;
};
void PrintTo(const QuadCase& c, std::ostream* os) {
    *os << c.name;
}

class DottedQuad : public testing::TestWithParam<QuadCase> {};

TEST_P(DottedQuad, Parses) {
    std::uint32_t address = 0xDEADBEEF;
    EXPECT_EQ(ParseDottedQuad(GetParam().text, &address), GetParam().valid);
    if (GetParam().valid) {
        EXPECT_EQ(ntohl(address), GetParam().hostOrder);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, DottedQuad,
    testing::Values(
        QuadCase{"Loopback", "127.0.0.1", true, 0x7F000001},
        QuadCase{"Extremes", "255.0.255.0", true, 0xFF00FF00},
        QuadCase{"LeadingZerosDecimal", "010.001.000.009", true, 0x0A010009},
        QuadCase{"Over255", "256.1.1.1", false, 0}, QuadCase{"FourDigits", "0001.1.1.1", false, 0},
        QuadCase{"ThreeParts", "1.2.3", false, 0}, QuadCase{"FiveParts", "1.2.3.4.5", false, 0},
        QuadCase{"EmptyPart", "1..3.4", false, 0}, QuadCase{"TrailingDot", "1.2.3.4.", false, 0},
        QuadCase{"TrailingBlank", "1.2.3.4 ", false, 0}, QuadCase{"Sign", "+1.2.3.4", false, 0},
        QuadCase{"Hex", "0x1.2.3.4", false, 0}, QuadCase{"Empty", "", false, 0}),
    [](const auto& info) { return std::string(info.param.name); });

struct DomainCase {
    const char* name;
    const char* domain;
    const char* address;
};
void PrintTo(const DomainCase& c, std::ostream* os) {
    *os << c.name;
}

class DomainAddress : public testing::TestWithParam<DomainCase> {};

TEST_P(DomainAddress, Resolves) {
    EXPECT_EQ(DomainToAddress(GetParam().domain), GetParam().address);
}

INSTANTIATE_TEST_SUITE_P(
    Table, DomainAddress,
    testing::Values(DomainCase{"Localhost", "localhost", "127.0.0.1"},
                    DomainCase{"DottedUnchanged", "127.0.0.1", "127.0.0.1"},
                    DomainCase{"InvalidTld", "no-such-host.invalid", "0.0.0.0"},
                    DomainCase{"InvalidTldUpperWithDot", "X.INVALID.", "0.0.0.0"},
                    DomainCase{"Empty", "", "0.0.0.0"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(NameResolution, InvalidTldIsHostNotFound) {
    const Ipv4Lookup found = LookupIpv4("whois.invalid");
    EXPECT_FALSE(found.address.has_value());
    EXPECT_EQ(found.error, 11001);
}

// The domain search's choice between the families, with the resolver's
// answers fixed by the test.
TEST(NameResolution, DomainSearchTakesIpv4FirstThenIpv6) {
    const Ipv6Address v6 = {0x20, 0x01, 0x0d, 0xb8, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x05};
    const Ipv4Lookup noV4{std::nullopt, 11004};
    const Ipv6Lookup noV6{std::nullopt, 11004};
    const struct {
        const char* name;
        Ipv4Lookup ipv4;
        Ipv6Lookup ipv6;
        const char* address;
    } rows[] = {
        {"BothFamilies", {htonl(0x01020304), 0}, {v6, 0}, "1.2.3.4"},
        {"OnlyIpv4", {htonl(0x01020304), 0}, noV6, "1.2.3.4"},
        {"OnlyIpv6", noV4, {v6, 0}, "2001:db8::5"},
        {"Neither", noV4, noV6, "0.0.0.0"},
    };
    for (const auto& row : rows) {
        std::vector<std::string> asked;
        AddressLookups lookups;
        lookups.ipv4 = [&](const std::string& name) {
            asked.push_back("4 " + name);
            return row.ipv4;
        };
        lookups.ipv6 = [&](const std::string& name) {
            asked.push_back("6 " + name);
            return row.ipv6;
        };
        EXPECT_EQ(DomainToLocatableAddress("only.test", lookups), row.address) << row.name;
        ASSERT_FALSE(asked.empty()) << row.name;
        EXPECT_EQ(asked.front(), "4 only.test") << row.name;
        // IPv6 is asked only when IPv4 found nothing.
        EXPECT_EQ(asked.size(), row.ipv4.address ? 1u : 2u) << row.name;
    }
}

TEST(NameResolution, Ipv6NumericTextsResolveToThemselves) {
    const Ipv6Lookup found = LookupIpv6("2001:DB8::0:5");
    ASSERT_TRUE(found.address.has_value());
    EXPECT_EQ(FormatIpv6(*found.address), "2001:db8::5");
    EXPECT_EQ(LookupIpv6("x.invalid").error, 11001);
}

TEST(NameResolution, ReverseLookupOfLoopbackNamesIt) {
    const auto name = ReverseLookup(htonl(0x7F000001));
    ASSERT_TRUE(name.has_value());
    EXPECT_FALSE(name->empty());
}

} // namespace
