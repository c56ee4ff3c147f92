// SPDX-License-Identifier: GPL-3.0-or-later
#include "validation/Ipv6AddressText.h"

#include "geoip/IPv6Text.h"

#include <string>

std::optional<TIpv6Bytes> ParseIpv6AddressText(std::string_view text) {
    // The database reader decides what an IPv6 text is; the locate command
    // must take exactly the texts the reader can look up.
    const std::optional<orvanta::geoip::AddressValue> value =
        orvanta::geoip::ParseIPv6Address(std::string(text));
    if (!value)
        return std::nullopt;
    TIpv6Bytes bytes{};
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<std::uint8_t>(*value >> (8 * (bytes.size() - 1 - i)));
    return bytes;
}
