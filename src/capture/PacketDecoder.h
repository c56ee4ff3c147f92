// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// From a captured packet's bytes to the addresses of its outermost IPv4 or
// IPv6 header, for the link types Orvanta reads. Tunnels inside are not
// followed: the outermost header is the one a capture's endpoints are about.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace orvanta::capture {

// An address as it stands in the header: 4 bytes for IPv4 (the rest zero)
// or 16 for IPv6.
struct IpAddress {
    bool v6 = false;
    std::array<std::uint8_t, 16> bytes{};

    bool operator==(const IpAddress&) const = default;
    // "192.0.2.1" or "2001:db8::1".
    std::string Text() const;
};

struct IpEnds {
    IpAddress source;
    IpAddress destination;
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
