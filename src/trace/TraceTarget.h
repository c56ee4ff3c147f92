// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The destination of a trace: one IPv4 or IPv6 address given as numeric
// text. Addresses no route can lead to as one host (unspecified, multicast,
// the limited broadcast) are refused with a message that says why.
#include <cstdint>
#include <netinet/in.h>
#include <optional>
#include <string>
#include <sys/socket.h>

namespace orvanta::trace {

struct TraceTarget {
    int family = AF_INET;
    sockaddr_storage address{};
    socklen_t length = 0;
    std::string text; // the address in its canonical numeric form
};

// Throws TraceError for text that is no address or an address that cannot
// be traced. An IPv4-mapped IPv6 address is traced as the IPv4 address.
TraceTarget ParseTraceTarget(const std::string& text);

// Whether `a` holds the same address as the target (ports aside).
bool SameAddress(const TraceTarget& target, const sockaddr_storage& a);

// The destination port of a datagram an answer quotes, when that datagram
// went to the target; nothing for a datagram to anywhere else.
std::optional<std::uint16_t> QuotedPortTo(const TraceTarget& target,
                                          const sockaddr_storage& quoted);

} // namespace orvanta::trace
