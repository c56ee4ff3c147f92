// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Ipv6AddressText: which texts the locate command takes as IPv6 addresses.
// Exactly what inet_pton(AF_INET6) reads: no zone index ("%eth0"), no
// brackets, no blanks, no embedded NUL. Dotted quads are never IPv6 texts,
// so the IPv4 gate in front of them keeps every decision it made before.
#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

using TIpv6Bytes = std::array<std::uint8_t, 16>;

// The 16 bytes of `text` in network order, or nothing when it is no IPv6
// address.
std::optional<TIpv6Bytes> ParseIpv6AddressText(std::string_view text);

inline bool IsIpv6AddressText(std::string_view text) {
    return ParseIpv6AddressText(text).has_value();
}
