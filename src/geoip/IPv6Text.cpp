// SPDX-License-Identifier: GPL-3.0-or-later
#include "geoip/IPv6Text.h"

#include <arpa/inet.h>

namespace orvanta::geoip {
namespace {

constexpr std::uint32_t MappedTag = 0xFFFF;

} // namespace

std::optional<AddressValue> ParseIPv6Address(const std::string& text) {
    // inet_pton stops at a NUL; a text that goes on after one is not an address.
    if (text.find('\0') != std::string::npos) {
        return std::nullopt;
    }
    in6_addr bytes{};
    if (::inet_pton(AF_INET6, text.c_str(), &bytes) != 1) {
        return std::nullopt;
    }
    AddressValue value = 0;
    for (std::uint8_t byte : bytes.s6_addr) {
        value = (value << 8) | byte;
    }
    return value;
}

bool IsIPv4Mapped(AddressValue address, std::uint32_t& ipv4) {
    if ((address >> 32) != MappedTag) {
        return false;
    }
    ipv4 = static_cast<std::uint32_t>(address);
    return true;
}

std::string IPv6AddressText(AddressValue address) {
    in6_addr bytes{};
    for (int i = 15; i >= 0; --i) {
        bytes.s6_addr[i] = static_cast<std::uint8_t>(address);
        address >>= 8;
    }
    char text[INET6_ADDRSTRLEN] = {};
    ::inet_ntop(AF_INET6, &bytes, text, sizeof text);
    return text;
}

std::string IPv6NetworkText(AddressValue address, int prefixLength) {
    const AddressValue network = address & ~LowBits(128 - prefixLength);
    return IPv6AddressText(network) + "/" + std::to_string(prefixLength);
}

} // namespace orvanta::geoip
