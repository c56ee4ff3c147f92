// SPDX-License-Identifier: GPL-3.0-or-later
#include "geoip/IanaBlocks.h"

#include <gtest/gtest.h>
#include <string>

namespace orvanta::geoip {
namespace {

// The first and the last address of every block, and neighbours just outside.
// Where blocks nest, the most specific one answers.
TEST(SpecialPurposeTest, FirstAndLastAddressOfEveryBlock) {
    struct Row {
        const char* address;
        const char* name; // nullptr: no block
    } rows[] = {
        {"0.0.0.0", "This host on this network"},
        {"0.0.0.1", "This network"},
        {"0.255.255.255", "This network"},
        {"1.0.0.0", nullptr},
        {"9.255.255.255", nullptr},
        {"10.0.0.0", "Private-Use"},
        {"10.20.30.40", "Private-Use"},
        {"10.255.255.255", "Private-Use"},
        {"11.0.0.0", nullptr},
        {"100.63.255.255", nullptr},
        {"100.64.0.0", "Shared Address Space"},
        {"100.127.255.255", "Shared Address Space"},
        {"100.128.0.0", nullptr},
        {"127.0.0.0", "Loopback"},
        {"127.255.255.255", "Loopback"},
        {"169.254.0.0", "Link Local"},
        {"169.254.255.255", "Link Local"},
        {"172.15.255.255", nullptr},
        {"172.16.0.0", "Private-Use"},
        {"172.31.255.255", "Private-Use"},
        {"172.32.0.0", nullptr},
        {"192.0.0.0", "IPv4 Service Continuity Prefix"},
        {"192.0.0.7", "IPv4 Service Continuity Prefix"},
        {"192.0.0.8", "IPv4 dummy address"},
        {"192.0.0.9", "Port Control Protocol Anycast"},
        {"192.0.0.10", "Traversal Using Relays around NAT Anycast"},
        {"192.0.0.11", "IETF Protocol Assignments"},
        {"192.0.0.170", "NAT64/DNS64 Discovery"},
        {"192.0.0.171", "NAT64/DNS64 Discovery"},
        {"192.0.0.255", "IETF Protocol Assignments"},
        {"192.0.2.0", "Documentation (TEST-NET-1)"},
        {"192.0.2.255", "Documentation (TEST-NET-1)"},
        {"192.31.196.0", "AS112-v4"},
        {"192.31.196.255", "AS112-v4"},
        {"192.52.193.0", "AMT"},
        {"192.52.193.255", "AMT"},
        {"192.88.99.0", "Deprecated (6to4 Relay Anycast)"},
        {"192.88.99.255", "Deprecated (6to4 Relay Anycast)"},
        {"192.168.0.0", "Private-Use"},
        {"192.168.255.255", "Private-Use"},
        {"192.175.48.0", "Direct Delegation AS112 Service"},
        {"192.175.48.255", "Direct Delegation AS112 Service"},
        {"198.18.0.0", "Benchmarking"},
        {"198.19.255.255", "Benchmarking"},
        {"198.20.0.0", nullptr},
        {"198.51.100.0", "Documentation (TEST-NET-2)"},
        {"198.51.100.255", "Documentation (TEST-NET-2)"},
        {"203.0.113.0", "Documentation (TEST-NET-3)"},
        {"203.0.113.255", "Documentation (TEST-NET-3)"},
        {"223.255.255.255", nullptr},
        {"224.0.0.0", "Multicast"},
        {"239.255.255.255", "Multicast"},
        {"240.0.0.0", "Reserved"},
        {"255.255.255.254", "Reserved"},
        {"255.255.255.255", "Limited Broadcast"},
        {"8.8.8.8", nullptr},
        {"::", "Unspecified Address"},
        {"::1", "Loopback Address"},
        {"::2", nullptr},
        {"::ffff:0:0", "This host on this network"}, // mapped: the IPv4 block first
        {"::ffff:10.1.2.3", "Private-Use"},
        {"::ffff:8.8.8.8", "IPv4-mapped Address"},
        {"::ffff:ffff:ffff", "Limited Broadcast"},
        {"64:ff9b::", "IPv4-IPv6 Translat."},
        {"64:ff9b::ffff:ffff", "IPv4-IPv6 Translat."},
        {"64:ff9b:1::", "IPv4-IPv6 Translat."},
        {"64:ff9b:1:ffff:ffff:ffff:ffff:ffff", "IPv4-IPv6 Translat."},
        {"100::", "Discard-Only Address Block"},
        {"100::ffff:ffff:ffff:ffff", "Discard-Only Address Block"},
        {"100:0:0:1::", "Dummy IPv6 Prefix"},
        {"100:0:0:1:ffff:ffff:ffff:ffff", "Dummy IPv6 Prefix"},
        {"2001::", "TEREDO"},
        {"2001:0:ffff:ffff:ffff:ffff:ffff:ffff", "TEREDO"},
        {"2001:1::", "IETF Protocol Assignments"},
        {"2001:1::1", "Port Control Protocol Anycast"},
        {"2001:1::2", "Traversal Using Relays around NAT Anycast"},
        {"2001:1::3", "DNS-SD Service Registration Protocol Anycast"},
        {"2001:2::", "Benchmarking"},
        {"2001:2:0:ffff:ffff:ffff:ffff:ffff", "Benchmarking"},
        {"2001:3::", "AMT"},
        {"2001:3:ffff:ffff:ffff:ffff:ffff:ffff", "AMT"},
        {"2001:4:112::", "AS112-v6"},
        {"2001:4:112:ffff:ffff:ffff:ffff:ffff", "AS112-v6"},
        {"2001:10::", "Deprecated (previously ORCHID)"},
        {"2001:1f:ffff:ffff:ffff:ffff:ffff:ffff", "Deprecated (previously ORCHID)"},
        {"2001:20::", "ORCHIDv2"},
        {"2001:2f:ffff:ffff:ffff:ffff:ffff:ffff", "ORCHIDv2"},
        {"2001:30::", "Drone Remote ID Protocol Entity Tags (DETs) Prefix"},
        {"2001:3f:ffff:ffff:ffff:ffff:ffff:ffff",
         "Drone Remote ID Protocol Entity Tags (DETs) Prefix"},
        {"2001:1ff:ffff:ffff:ffff:ffff:ffff:ffff", "IETF Protocol Assignments"},
        {"2001:200::", nullptr},
        {"2001:db8::", "Documentation"},
        {"2001:db8:ffff:ffff:ffff:ffff:ffff:ffff", "Documentation"},
        {"2001:db9::", nullptr},
        {"2002::", "6to4"},
        {"2002:ffff:ffff:ffff:ffff:ffff:ffff:ffff", "6to4"},
        {"2620:4f:8000::", "Direct Delegation AS112 Service"},
        {"2620:4f:8000:ffff:ffff:ffff:ffff:ffff", "Direct Delegation AS112 Service"},
        {"3fff::", "Documentation"},
        {"3fff:fff:ffff:ffff:ffff:ffff:ffff:ffff", "Documentation"},
        {"3fff:1000::", nullptr},
        {"5f00::", "Segment Routing (SRv6) SIDs"},
        {"5f00:ffff:ffff:ffff:ffff:ffff:ffff:ffff", "Segment Routing (SRv6) SIDs"},
        {"fc00::", "Unique-Local"},
        {"fdff:ffff:ffff:ffff:ffff:ffff:ffff:ffff", "Unique-Local"},
        {"fe80::", "Link-Local Unicast"},
        {"febf:ffff:ffff:ffff:ffff:ffff:ffff:ffff", "Link-Local Unicast"},
        {"fec0::", nullptr},
        {"ff00::", "Multicast"},
        {"ffff:ffff:ffff:ffff:ffff:ffff:ffff:ffff", "Multicast"},
        {"2a00:1450::1", nullptr},
        // Not addresses at all.
        {"", nullptr},
        {"10.0.0", nullptr},
        {"localhost", nullptr},
        {"fe80::1%eth0", nullptr},
    };
    for (const Row& row : rows) {
        const std::optional<std::string_view> name = SpecialPurposeOf(row.address);
        if (row.name == nullptr) {
            EXPECT_FALSE(name.has_value()) << row.address << " gave " << name.value_or("");
        } else {
            EXPECT_EQ(name.value_or("(none)"), row.name) << row.address;
        }
    }
}

// Every row of the table is well formed: its text parses and has no host bits.
TEST(SpecialPurposeTest, EveryBlockAnswersForItsOwnFirstAddress) {
    std::size_t count = 0;
    const SpecialBlock* blocks = SpecialBlocks(count);
    ASSERT_GT(count, 40u);
    for (std::size_t i = 0; i < count; ++i) {
        const SpecialBlock& block = blocks[i];
        EXPECT_TRUE(SpecialPurposeOf(block.network).has_value()) << block.network;
        EXPECT_LE(block.prefixLength, block.ipv6 ? 128 : 32) << block.network;
    }
}

} // namespace
} // namespace orvanta::geoip
