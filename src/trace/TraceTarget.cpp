// SPDX-License-Identifier: GPL-3.0-or-later
#include "trace/TraceTarget.h"

#include "trace/TraceError.h"

#include <arpa/inet.h>
#include <cstring>

namespace orvanta::trace {
namespace {

TraceTarget V4Target(in_addr address) {
    const std::uint32_t host = ntohl(address.s_addr);
    if (host == 0)
        throw TraceError("The unspecified address 0.0.0.0 cannot be traced");
    if ((host >> 28) == 0xE)
        throw TraceError("A multicast address cannot be traced");
    if (host == 0xFFFFFFFFu)
        throw TraceError("The broadcast address cannot be traced");
    TraceTarget target;
    target.family = AF_INET;
    sockaddr_in v4{};
    v4.sin_family = AF_INET;
    v4.sin_addr = address;
    std::memcpy(&target.address, &v4, sizeof v4);
    target.length = sizeof v4;
    char text[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &address, text, sizeof text);
    target.text = text;
    return target;
}

} // namespace

TraceTarget ParseTraceTarget(const std::string& text) {
    in_addr v4{};
    if (inet_pton(AF_INET, text.c_str(), &v4) == 1)
        return V4Target(v4);
    in6_addr v6{};
    if (inet_pton(AF_INET6, text.c_str(), &v6) != 1)
        throw TraceError("\"" + text + "\" is not an IPv4 or IPv6 address");
    if (IN6_IS_ADDR_V4MAPPED(&v6)) {
        std::memcpy(&v4.s_addr, v6.s6_addr + 12, 4);
        return V4Target(v4);
    }
    if (IN6_IS_ADDR_UNSPECIFIED(&v6))
        throw TraceError("The unspecified address :: cannot be traced");
    if (IN6_IS_ADDR_MULTICAST(&v6))
        throw TraceError("A multicast address cannot be traced");
    TraceTarget target;
    target.family = AF_INET6;
    sockaddr_in6 address{};
    address.sin6_family = AF_INET6;
    address.sin6_addr = v6;
    std::memcpy(&target.address, &address, sizeof address);
    target.length = sizeof address;
    char canonical[INET6_ADDRSTRLEN] = {};
    inet_ntop(AF_INET6, &v6, canonical, sizeof canonical);
    target.text = canonical;
    return target;
}

bool SameAddress(const TraceTarget& target, const sockaddr_storage& a) {
    if (a.ss_family != target.family)
        return false;
    if (target.family == AF_INET) {
        sockaddr_in x{}, y{};
        std::memcpy(&x, &a, sizeof x);
        std::memcpy(&y, &target.address, sizeof y);
        return x.sin_addr.s_addr == y.sin_addr.s_addr;
    }
    sockaddr_in6 x{}, y{};
    std::memcpy(&x, &a, sizeof x);
    std::memcpy(&y, &target.address, sizeof y);
    return std::memcmp(&x.sin6_addr, &y.sin6_addr, sizeof x.sin6_addr) == 0;
}

std::optional<std::uint16_t> QuotedPortTo(const TraceTarget& target,
                                          const sockaddr_storage& quoted) {
    if (!SameAddress(target, quoted))
        return std::nullopt;
    if (target.family == AF_INET) {
        sockaddr_in v4{};
        std::memcpy(&v4, &quoted, sizeof v4);
        return ntohs(v4.sin_port);
    }
    sockaddr_in6 v6{};
    std::memcpy(&v6, &quoted, sizeof v6);
    return ntohs(v6.sin6_port);
}

} // namespace orvanta::trace
