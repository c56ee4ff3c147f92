// SPDX-License-Identifier: GPL-3.0-or-later
// The web whois addresses: a name can never change the address around it.

#include "net/WebWhoisAddress.h"

#include <gtest/gtest.h>

namespace {

using namespace orvanta::net;

struct AddressCase {
    const char* name;
    std::string domain;
    std::string encoded;
};
void PrintTo(const AddressCase& c, std::ostream* os) {
    *os << c.name;
}

class WebWhoisAddress : public testing::TestWithParam<AddressCase> {};

TEST_P(WebWhoisAddress, BothShapes) {
    const std::string& e = GetParam().encoded;
    EXPECT_EQ(WebWhoisSearchAddress(GetParam().domain),
              "http://whois.orvanta.localhost/whois/whois.php?query=" + e + " + &output=nice");
    EXPECT_EQ(WebWhoisExampleAddress(GetParam().domain),
              "http://whois.orvanta.localhost/phpwhois-4.2.2/example.php?query=" + e +
                  " + &output=nice");
}

INSTANTIATE_TEST_SUITE_P(
    Table, WebWhoisAddress,
    testing::Values(
        AddressCase{"Plain", "example.org", "example.org"}, AddressCase{"Empty", "", ""},
        AddressCase{"Unreserved", "a-b_c.d~e", "a-b_c.d~e"},
        AddressCase{"Ampersand", "a&output=raw", "a%26output%3Draw"},
        AddressCase{"Fragment", "a#b", "a%23b"}, AddressCase{"Question", "a?b", "a%3Fb"},
        AddressCase{"Percent", "100%", "100%25"}, AddressCase{"TrailingBlank", "host ", "host%20"},
        AddressCase{"Plus", "a+b", "a%2Bb"}, AddressCase{"Utf8Bytes", "b\xc3\xbc", "b%C3%BC"},
        AddressCase{"ControlByte", std::string("a\nb\0", 4), "a%0Ab%00"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(WebWhoisHost, StaysUnderLocalhostTld) {
    const std::string host(kWebWhoisHost);
    ASSERT_GT(host.size(), std::string(".localhost").size());
    EXPECT_EQ(host.substr(host.size() - 10), ".localhost");
}

} // namespace
