// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What one message from a socket's error queue says. The kernel reports an
// ICMP answer to one of our datagrams as ancillary data (a sock_extended_err
// with the answering router's address behind it) plus, as the message's
// name, the destination of the datagram the answer quotes: that address and
// port are how an answer finds the probe it belongs to.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <sys/socket.h>

namespace orvanta::trace {

enum class IcmpKind {
    TimeExceeded,     // a router on the way: the hop limit ran out there
    PortUnreachable,  // the destination itself: no one listens on the port
    OtherUnreachable, // a router or host refuses: no route, prohibited, ...
};

struct ErrorReport {
    IcmpKind kind = IcmpKind::TimeExceeded;
    int icmpType = 0;
    int icmpCode = 0;
    // Who sent the answer, as numeric text ("192.0.2.1", "2001:db8::1").
    std::string offender;
    // The quoted datagram's destination.
    sockaddr_storage quotedDestination{};
    // The kernel's arrival time of the answer, when the message carried one.
    std::optional<std::int64_t> arrivalNs;
};

// Decodes the name and ancillary data of one MSG_ERRQUEUE message. Only ICMP
// or ICMPv6 answers with an offender address of the family asked for count;
// every other kind of message (local errors, timestamps, zero-copy notices,
// anything cut short) gives nothing. The control bytes need not be aligned.
std::optional<ErrorReport> DecodeErrorQueueMessage(int family, const void* name,
                                                   std::size_t nameLength, const void* control,
                                                   std::size_t controlLength);

} // namespace orvanta::trace
