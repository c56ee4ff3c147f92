// SPDX-License-Identifier: GPL-3.0-or-later
#include "rdap/Bootstrap.h"

#include "rdap/RdapError.h"

#include <gtest/gtest.h>

namespace orvanta::rdap {
namespace {

const char* const kDns = R"({"version": "1.0", "services": [
  [["com", "net"], ["https://rdap.com.example/v1/"]],
  [["uk"], ["https://rdap.uk.example/"]],
  [["co.uk"], ["http://127.0.0.1:9/couk", "https://rdap.co-uk.example/"]],
  [["XN--P1AI"], ["https://rdap.rf.example/"]],
  [["dev"], ["http://rdap.dev.example/"]],
  [["org"], ["http://127.0.0.2/"]],
  [["bad"], "not a list"],
  ["not an entry"],
  [[5, "app."], ["https://rdap.app.example"]]
]})";

TEST(Bootstrap, DomainsFindTheLongestLabelSuffix) {
    const Bootstrap bootstrap = Bootstrap::Parse(kDns, Bootstrap::Kind::Domains);
    const struct {
        const char* name;
        const char* domain;
        const char* base; // nullptr: none
    } rows[] = {
        {"single label", "example.com", "https://rdap.com.example/v1/"},
        {"second of a list", "a.b.example.net", "https://rdap.com.example/v1/"},
        {"the name is the suffix", "com", "https://rdap.com.example/v1/"},
        {"multi-label entry beats its parent", "bbc.co.uk", "https://rdap.co-uk.example/"},
        {"parent when the longer does not match", "gov.uk", "https://rdap.uk.example/"},
        {"labels, not characters", "example.xco.uk", "https://rdap.uk.example/"},
        {"case does not matter", "Example.COM", "https://rdap.com.example/v1/"},
        {"final dot", "example.com.", "https://rdap.com.example/v1/"},
        {"IDN in ACE form, entry in upper case", "xn--80a.xn--p1ai", "https://rdap.rf.example/"},
        {"trailing slash added, dotted entry", "example.app", "https://rdap.app.example/"},
        {"plain http to loopback", "example.org", "http://127.0.0.2/"},
        {"plain http elsewhere is refused", "example.dev", nullptr},
        {"no service", "example.museum", nullptr},
        {"suffix inside a label", "examplecom", nullptr},
        {"empty", "", nullptr},
    };
    for (const auto& row : rows) {
        const auto base = bootstrap.ServiceForDomain(row.domain);
        EXPECT_EQ(base.value_or("(none)"), row.base ? row.base : "(none)") << row.name;
    }
}

TEST(Bootstrap, AddressesFindTheLongestPrefix) {
    const Bootstrap bootstrap = Bootstrap::Parse(R"({"services": [
      [["0.0.0.0/0"], ["https://all.example/"]],
      [["41.0.0.0/8", "102.0.0.0/8"], ["https://afrinic.example/"]],
      [["41.128.0.0/9"], ["https://nine.example/"]],
      [["192.0.2.0/24"], ["https://doc.example/"]],
      [["192.0.2.7/32"], ["https://host.example/"]],
      [["192.0.2.0/33", "300.0.0.0/8", "10.0.0.0", "10.0.0.0/x", "10.0.0.0/8/"],
       ["https://bad.example/"]]
    ]})",
                                                 Bootstrap::Kind::Ipv4);
    const struct {
        const char* address;
        const char* base;
    } rows[] = {
        {"41.1.2.3", "https://afrinic.example/"},
        {"41.200.0.1", "https://nine.example/"},
        {"102.255.255.255", "https://afrinic.example/"},
        {"192.0.2.7", "https://host.example/"},
        {"192.0.2.8", "https://doc.example/"},
        {"10.1.2.3", "https://all.example/"},
        {"not an address", nullptr},
        {"192.0.2.7/32", nullptr},
        {"1.2.3", nullptr},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(bootstrap.ServiceForAddress(row.address).value_or("(none)"),
                  row.base ? row.base : "(none)")
            << row.address;
    }
    const Bootstrap narrow = Bootstrap::Parse(
        R"({"services": [[["192.0.2.0/24"], ["https://doc.example/"]]]})", Bootstrap::Kind::Ipv4);
    EXPECT_FALSE(narrow.ServiceForAddress("192.0.3.0").has_value());
    // Prefixes of every length: an entry of length n matches exactly the
    // addresses that agree with it in the first n bits.
    for (int length = 0; length <= 32; ++length) {
        const std::string doc = R"({"services": [[["128.0.0.0/)" + std::to_string(length) +
                                R"("], ["https://p.example/"]]]})";
        const Bootstrap one = Bootstrap::Parse(doc, Bootstrap::Kind::Ipv4);
        EXPECT_TRUE(one.ServiceForAddress("128.0.0.0").has_value()) << length;
        // 128.0.0.0 with bit `length` (counted from 1) set differs there.
        if (length > 0) {
            const std::uint32_t flipped = 0x80000000u ^ (1u << (32 - length));
            const std::string other =
                std::to_string(flipped >> 24) + "." + std::to_string((flipped >> 16) & 255) + "." +
                std::to_string((flipped >> 8) & 255) + "." + std::to_string(flipped & 255);
            EXPECT_FALSE(one.ServiceForAddress(other).has_value()) << length << " " << other;
        }
    }
}

TEST(Bootstrap, Ipv6AddressesFindTheLongestPrefix) {
    const Bootstrap bootstrap = Bootstrap::Parse(R"({"services": [
      [["::/0"], ["https://all.example/"]],
      [["2001:200::/23", "2c00::/12"], ["https://apnic.example/"]],
      [["2001:db8::/32"], ["https://doc.example/"]],
      [["2001:db8::7/128"], ["https://host.example/"]],
      [["2001:db8:8000::/33"], ["https://half.example/"]],
      [["2001:db8::/129", "2001:db8::", "2001:db8::/x", "2001:db8::%1/64", "[2001:db8::]/64",
        "192.0.2.0/24"],
       ["https://bad.example/"]]
    ]})",
                                                 Bootstrap::Kind::Ipv6);
    const struct {
        const char* address;
        const char* base;
    } rows[] = {
        {"2001:200::1", "https://apnic.example/"},
        {"2001:3ff:ffff::1", "https://apnic.example/"},
        {"2C0F:FFFF::1", "https://apnic.example/"},
        {"2001:db8::7", "https://host.example/"},
        {"2001:DB8:0:0:0:0:0:7", "https://host.example/"},
        {"2001:db8::8", "https://doc.example/"},
        {"2001:db8:7fff:ffff::1", "https://doc.example/"},
        {"2001:db8:8000::", "https://half.example/"},
        {"::1", "https://all.example/"},
        {"2001:db8::7%eth0", nullptr},
        {"[2001:db8::7]", nullptr},
        {"2001:db8::7/128", nullptr},
        {"2001:db8::1::2", nullptr},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(bootstrap.ServiceForAddress(row.address).value_or("(none)"),
                  row.base ? row.base : "(none)")
            << row.address;
    }
    // Only the file for the address's family answers for it.
    EXPECT_FALSE(bootstrap.ServiceForAddress("192.0.2.1").has_value());
    EXPECT_EQ(Bootstrap::KindForAddress("2001:db8::1"), Bootstrap::Kind::Ipv6);
    EXPECT_EQ(Bootstrap::KindForAddress("192.0.2.1"), Bootstrap::Kind::Ipv4);
}

TEST(Bootstrap, DocumentsThatAreNotBootstrapFilesAreRefused) {
    for (const char* doc : {"", "{", "[]", "{\"services\": 5}", "{\"version\": \"1.0\"}",
                            "\"services\"", "{\"services\": [[[\"com\"]"}) {
        EXPECT_THROW(Bootstrap::Parse(doc, Bootstrap::Kind::Domains), RdapError) << doc;
    }
    EXPECT_EQ(Bootstrap::Parse(R"({"services": [1, [], [[]], [["com"], []], [{}, {}]]})",
                               Bootstrap::Kind::Domains)
                  .size(),
              0u);
}

} // namespace
} // namespace orvanta::rdap
