// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// IPv6 address texts: what inet_pton(AF_INET6) takes, nothing else (no zone
// index, no brackets, no embedded NUL), and the texts the tools print.

#include "geoip/AddressValue.h"

#include <cstdint>
#include <optional>
#include <string>

namespace orvanta::geoip {

std::optional<AddressValue> ParseIPv6Address(const std::string& text);

// ::ffff:a.b.c.d, the IPv4-mapped addresses; `ipv4` gets a.b.c.d as a number.
bool IsIPv4Mapped(AddressValue address, std::uint32_t& ipv4);

// The RFC 5952 text of an address, and of the network of `prefixLength`
// bits it lies in ("2001:db8::/32").
std::string IPv6AddressText(AddressValue address);
std::string IPv6NetworkText(AddressValue address, int prefixLength);

} // namespace orvanta::geoip
