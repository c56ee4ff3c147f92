// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// An address as one unsigned number wide enough for both families: an IPv4
// address is its 32-bit value, an IPv6 address its 128-bit value, first byte
// most significant. Tree walks and the writer take it together with the tree
// depth (32 or 128), so one walk serves both families.

#include <cstdint>

namespace orvanta::geoip {

__extension__ using AddressValue = unsigned __int128;

inline constexpr AddressValue AllAddressBits = ~AddressValue{0};

// The lowest `bits` bits set (bits 0 to 128).
constexpr AddressValue LowBits(int bits) {
    return bits >= 128 ? AllAddressBits : bits <= 0 ? 0 : (AddressValue{1} << bits) - 1;
}

} // namespace orvanta::geoip
