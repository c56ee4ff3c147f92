// SPDX-License-Identifier: GPL-3.0-or-later
#include "geoip/IanaBlocks.h"

#include "geoip/IPv6Text.h"

#include <arpa/inet.h>
#include <array>
#include <vector>

namespace orvanta::geoip {
namespace {

// IANA IPv4 and IPv6 Special-Purpose Address Registries as they stood in
// April 2025 (IPv6 registry with the 2025 Dummy IPv6 Prefix, 3fff::/20 and
// 5f00::/16 of 2024), plus the two multicast ranges from the IPv4 and IPv6
// address space registries. Names are the registries' own, byte for byte.
// A new registry entry is a new row; the most specific block wins, so nested
// entries (192.0.0.0/29 inside 192.0.0.0/24) need no ordering.
constexpr std::array Table{
    SpecialBlock{false, "0.0.0.0", 8, "This network"},
    SpecialBlock{false, "0.0.0.0", 32, "This host on this network"},
    SpecialBlock{false, "10.0.0.0", 8, "Private-Use"},
    SpecialBlock{false, "100.64.0.0", 10, "Shared Address Space"},
    SpecialBlock{false, "127.0.0.0", 8, "Loopback"},
    SpecialBlock{false, "169.254.0.0", 16, "Link Local"},
    SpecialBlock{false, "172.16.0.0", 12, "Private-Use"},
    SpecialBlock{false, "192.0.0.0", 24, "IETF Protocol Assignments"},
    SpecialBlock{false, "192.0.0.0", 29, "IPv4 Service Continuity Prefix"},
    SpecialBlock{false, "192.0.0.8", 32, "IPv4 dummy address"},
    SpecialBlock{false, "192.0.0.9", 32, "Port Control Protocol Anycast"},
    SpecialBlock{false, "192.0.0.10", 32, "Traversal Using Relays around NAT Anycast"},
    SpecialBlock{false, "192.0.0.170", 32, "NAT64/DNS64 Discovery"},
    SpecialBlock{false, "192.0.0.171", 32, "NAT64/DNS64 Discovery"},
    SpecialBlock{false, "192.0.2.0", 24, "Documentation (TEST-NET-1)"},
    SpecialBlock{false, "192.31.196.0", 24, "AS112-v4"},
    SpecialBlock{false, "192.52.193.0", 24, "AMT"},
    SpecialBlock{false, "192.88.99.0", 24, "Deprecated (6to4 Relay Anycast)"},
    SpecialBlock{false, "192.168.0.0", 16, "Private-Use"},
    SpecialBlock{false, "192.175.48.0", 24, "Direct Delegation AS112 Service"},
    SpecialBlock{false, "198.18.0.0", 15, "Benchmarking"},
    SpecialBlock{false, "198.51.100.0", 24, "Documentation (TEST-NET-2)"},
    SpecialBlock{false, "203.0.113.0", 24, "Documentation (TEST-NET-3)"},
    SpecialBlock{false, "224.0.0.0", 4, "Multicast"},
    SpecialBlock{false, "240.0.0.0", 4, "Reserved"},
    SpecialBlock{false, "255.255.255.255", 32, "Limited Broadcast"},
    SpecialBlock{true, "::1", 128, "Loopback Address"},
    SpecialBlock{true, "::", 128, "Unspecified Address"},
    SpecialBlock{true, "::ffff:0:0", 96, "IPv4-mapped Address"},
    SpecialBlock{true, "64:ff9b::", 96, "IPv4-IPv6 Translat."},
    SpecialBlock{true, "64:ff9b:1::", 48, "IPv4-IPv6 Translat."},
    SpecialBlock{true, "100::", 64, "Discard-Only Address Block"},
    SpecialBlock{true, "100:0:0:1::", 64, "Dummy IPv6 Prefix"},
    SpecialBlock{true, "2001::", 23, "IETF Protocol Assignments"},
    SpecialBlock{true, "2001::", 32, "TEREDO"},
    SpecialBlock{true, "2001:1::1", 128, "Port Control Protocol Anycast"},
    SpecialBlock{true, "2001:1::2", 128, "Traversal Using Relays around NAT Anycast"},
    SpecialBlock{true, "2001:1::3", 128, "DNS-SD Service Registration Protocol Anycast"},
    SpecialBlock{true, "2001:2::", 48, "Benchmarking"},
    SpecialBlock{true, "2001:3::", 32, "AMT"},
    SpecialBlock{true, "2001:4:112::", 48, "AS112-v6"},
    SpecialBlock{true, "2001:10::", 28, "Deprecated (previously ORCHID)"},
    SpecialBlock{true, "2001:20::", 28, "ORCHIDv2"},
    SpecialBlock{true, "2001:30::", 28, "Drone Remote ID Protocol Entity Tags (DETs) Prefix"},
    SpecialBlock{true, "2001:db8::", 32, "Documentation"},
    SpecialBlock{true, "2002::", 16, "6to4"},
    SpecialBlock{true, "2620:4f:8000::", 48, "Direct Delegation AS112 Service"},
    SpecialBlock{true, "3fff::", 20, "Documentation"},
    SpecialBlock{true, "5f00::", 16, "Segment Routing (SRv6) SIDs"},
    SpecialBlock{true, "fc00::", 7, "Unique-Local"},
    SpecialBlock{true, "fe80::", 10, "Link-Local Unicast"},
    SpecialBlock{true, "ff00::", 8, "Multicast"},
};

struct Block {
    AddressValue first;
    int prefixLength;
    int depth;
    std::string_view name;
};

// The texts parsed once; an IPv4 block is held as its 32-bit value.
const std::vector<Block>& Blocks() {
    static const std::vector<Block> blocks = [] {
        std::vector<Block> out;
        for (const SpecialBlock& row : Table) {
            AddressValue first = 0;
            if (row.ipv6) {
                first = ParseIPv6Address(row.network).value_or(0);
            } else {
                in_addr bytes{};
                ::inet_pton(AF_INET, row.network, &bytes);
                first = ntohl(bytes.s_addr);
            }
            out.push_back({first, row.prefixLength, row.ipv6 ? 128 : 32, row.name});
        }
        return out;
    }();
    return blocks;
}

std::optional<std::string_view> Find(AddressValue address, int depth) {
    const Block* best = nullptr;
    for (const Block& block : Blocks()) {
        if (block.depth != depth || (best && best->prefixLength >= block.prefixLength)) {
            continue;
        }
        const AddressValue hostBits = LowBits(depth - block.prefixLength);
        if ((address & ~hostBits) == block.first) {
            best = &block;
        }
    }
    if (!best) {
        return std::nullopt;
    }
    return best->name;
}

// The first octets any IPv4 block touches: most addresses of a log are in
// none of them, and bulk lookups then pay one bit test instead of a scan.
const std::array<bool, 256>& SpecialFirstOctets() {
    static const std::array<bool, 256> octets = [] {
        std::array<bool, 256> out{};
        for (const Block& block : Blocks()) {
            if (block.depth != 32) {
                continue;
            }
            const auto first = static_cast<std::uint32_t>(block.first >> 24);
            const std::uint32_t span = block.prefixLength >= 8 ? 1 : 1u << (8 - block.prefixLength);
            for (std::uint32_t octet = first; octet < first + span && octet < 256; ++octet) {
                out[octet] = true;
            }
        }
        return out;
    }();
    return octets;
}

} // namespace

const SpecialBlock* SpecialBlocks(std::size_t& count) {
    count = Table.size();
    return Table.data();
}

std::optional<std::string_view> SpecialPurposeOf4(std::uint32_t address) {
    if (!SpecialFirstOctets()[address >> 24]) {
        return std::nullopt;
    }
    return Find(address, 32);
}

std::optional<std::string_view> SpecialPurposeOf6(AddressValue address) {
    return Find(address, 128);
}

std::optional<std::string_view> SpecialPurposeOf(const std::string& address) {
    if (address.find('\0') != std::string::npos) {
        return std::nullopt;
    }
    in_addr bytes{};
    if (::inet_pton(AF_INET, address.c_str(), &bytes) == 1) {
        return SpecialPurposeOf4(ntohl(bytes.s_addr));
    }
    const std::optional<AddressValue> value = ParseIPv6Address(address);
    if (!value) {
        return std::nullopt;
    }
    std::uint32_t ipv4 = 0;
    if (IsIPv4Mapped(*value, ipv4)) {
        if (auto name = SpecialPurposeOf4(ipv4)) {
            return name;
        }
    }
    return SpecialPurposeOf6(*value);
}

} // namespace orvanta::geoip
