// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The name of the special-purpose block an address lies in ("Private-Use",
// "Loopback", "Documentation (TEST-NET-1)", "Unique-Local", "Multicast"), in
// the words of IANA's special-purpose address registries. Such addresses have
// no organisation record, and a user pasting a log full of them should still
// learn what they are without asking anyone.

#include "geoip/AddressValue.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace orvanta::geoip {

struct SpecialBlock {
    bool ipv6;
    const char* network; // the first address as text
    int prefixLength;
    const char* name;
};

// Every block of the table, both families, in registry order.
const SpecialBlock* SpecialBlocks(std::size_t& count);

// The most specific block holding the address; nothing outside every block.
std::optional<std::string_view> SpecialPurposeOf4(std::uint32_t address);
std::optional<std::string_view> SpecialPurposeOf6(AddressValue address);

// The same for an address text: a dotted IPv4 address or an IPv6 address
// (an IPv4-mapped one answers for its IPv4 address where that is special).
std::optional<std::string_view> SpecialPurposeOf(const std::string& address);

} // namespace orvanta::geoip
