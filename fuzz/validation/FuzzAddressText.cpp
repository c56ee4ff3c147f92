// SPDX-License-Identifier: GPL-3.0-or-later
// Any byte string must be classified or raise the conversion error, and an
// accepted text must be a dotted quad that inet_addr reads as the same value
// whether its groups are taken as decimal or octal.
#include "validation/EConvertError.h"
#include "validation/Ipv6AddressText.h"
#include "validation/IsInvalidAddressText.h"

#include <arpa/inet.h>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    // An IPv6 text must be one inet_pton reads to the same bytes, whole.
    if (const auto bytes = ParseIpv6AddressText(text)) {
        in6_addr again{};
        if (text.find('\0') != std::string::npos ||
            inet_pton(AF_INET6, text.c_str(), &again) != 1 ||
            std::memcmp(&again, bytes->data(), bytes->size()) != 0)
            std::abort();
    }
    bool rejected = true;
    try {
        rejected = IsInvalidAddressText(text);
    } catch (const EConvertError&) {
        return 0;
    }
    if (rejected)
        return 0;
    // Accepted: decimal reading of each group must agree with inet_addr.
    std::uint32_t expected = 0;
    std::size_t start = 0;
    for (int g = 0; g < 4; ++g) {
        const std::size_t end = g < 3 ? text.find('.', start) : text.size();
        if (end == std::string::npos)
            std::abort();
        const unsigned long v = std::strtoul(text.substr(start, end - start).c_str(), nullptr, 10);
        if (v > 255)
            std::abort();
        expected = (expected << 8) | static_cast<std::uint32_t>(v);
        start = end + 1;
    }
    if (ntohl(inet_addr(text.c_str())) != expected)
        std::abort();
    return 0;
}
