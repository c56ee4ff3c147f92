// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// From a captured packet's bytes to the addresses of its outermost IPv4 or
// IPv6 header, for the link types Orvanta reads. Tunnels inside are not
// followed: the outermost header is the one a capture's endpoints are about.

#include "extract/AddressScanner.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace orvanta::capture {

// The addresses of a header, in the form the address scanner gives them
// (network byte order, an IPv4 address in the first four bytes).
struct IpEnds {
    extract::Address source;
    extract::Address destination;
};

enum class Decoded {
    Ip,    // `ends` holds the header's addresses
    NotIp, // a frame of another protocol (ARP, LLDP, an unknown ethertype)
    Cut,   // the frame or its IP header ends before the addresses
};

// Whether packets of this libpcap link type (a DLT_ value) can be decoded.
bool IsReadableLinkType(int linkType);

// "EN10MB (Ethernet)", or "253" for a type libpcap has no name for.
std::string LinkTypeText(int linkType);

// Decodes one packet of `linkType`; only the first `length` bytes of `data`
// are read. A link type that is not readable decodes to NotIp.
Decoded DecodePacket(int linkType, const std::uint8_t* data, std::size_t length, IpEnds& ends);

} // namespace orvanta::capture
