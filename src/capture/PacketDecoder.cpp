// SPDX-License-Identifier: GPL-3.0-or-later
#include "capture/PacketDecoder.h"

#include <cstring>
#include <pcap/pcap.h>

namespace orvanta::capture {
namespace {

constexpr std::uint16_t EtherIPv4 = 0x0800;
constexpr std::uint16_t EtherIPv6 = 0x86DD;
// Tags that stand between the MAC addresses and the payload's type, any
// number of them stacked: 802.1Q, 802.1ad and the pre-standard QinQ type.
constexpr std::uint16_t EtherVlan = 0x8100;
constexpr std::uint16_t EtherQinQ = 0x88A8;
constexpr std::uint16_t EtherQinQOld = 0x9100;

constexpr std::uint16_t PppIPv4 = 0x0021;
constexpr std::uint16_t PppIPv6 = 0x0057;

// Address family numbers a BSD loopback header may carry for IPv6: each
// system chose its own (Linux, NetBSD/OpenBSD, FreeBSD, Darwin).
constexpr std::uint32_t FamilyIPv4 = 2;
constexpr std::uint32_t FamiliesIPv6[] = {10, 24, 28, 30};

std::uint16_t Be16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] << 8 | p[1]);
}

struct Bytes {
    const std::uint8_t* data;
    std::size_t length;

    bool Has(std::size_t n) const { return length >= n; }
    Bytes After(std::size_t n) const { return {data + n, length - n}; }
};

Decoded DecodeIPv4(Bytes b, IpEnds& ends) {
    if (!b.Has(20)) {
        return Decoded::Cut;
    }
    const std::size_t headerLength = static_cast<std::size_t>(b.data[0] & 0x0F) * 4;
    if ((b.data[0] >> 4) != 4 || headerLength < 20) {
        return Decoded::NotIp; // not an IPv4 header at all
    }
    if (!b.Has(headerLength)) {
        return Decoded::Cut;
    }
    ends.source = extract::Address{};
    ends.destination = extract::Address{};
    std::memcpy(ends.source.bytes.data(), b.data + 12, 4);
    std::memcpy(ends.destination.bytes.data(), b.data + 16, 4);
    return Decoded::Ip;
}

Decoded DecodeIPv6(Bytes b, IpEnds& ends) {
    if (!b.Has(40)) {
        return Decoded::Cut;
    }
    if ((b.data[0] >> 4) != 6) {
        return Decoded::NotIp;
    }
    ends.source.v6 = true;
    ends.destination.v6 = true;
    std::memcpy(ends.source.bytes.data(), b.data + 8, 16);
    std::memcpy(ends.destination.bytes.data(), b.data + 24, 16);
    return Decoded::Ip;
}

// A header that starts with its version: raw IP.
Decoded DecodeRaw(Bytes b, IpEnds& ends) {
    if (!b.Has(1)) {
        return Decoded::Cut;
    }
    switch (b.data[0] >> 4) {
    case 4:
        return DecodeIPv4(b, ends);
    case 6:
        return DecodeIPv6(b, ends);
    default:
        return Decoded::NotIp;
    }
}

// An ethertype at the start of `b`, followed by any stack of VLAN tags, and
// then the payload.
Decoded DecodeEtherType(Bytes b, IpEnds& ends) {
    while (true) {
        if (!b.Has(2)) {
            return Decoded::Cut;
        }
        const std::uint16_t type = Be16(b.data);
        if (type == EtherVlan || type == EtherQinQ || type == EtherQinQOld) {
            if (!b.Has(6)) {
                return Decoded::Cut;
            }
            b = b.After(4); // the tag's control field, then the next type
            continue;
        }
        b = b.After(2);
        if (type == EtherIPv4) {
            return DecodeIPv4(b, ends);
        }
        if (type == EtherIPv6) {
            return DecodeIPv6(b, ends);
        }
        return Decoded::NotIp;
    }
}

// The 4-byte family of a BSD loopback header, in whichever byte order the
// capturing machine wrote it.
Decoded DecodeLoopback(Bytes b, IpEnds& ends) {
    if (!b.Has(4)) {
        return Decoded::Cut;
    }
    std::uint32_t family = 0;
    std::memcpy(&family, b.data, 4);
    if ((family & 0xFFFF0000u) != 0) {
        family = __builtin_bswap32(family);
    }
    b = b.After(4);
    if (family == FamilyIPv4) {
        return DecodeIPv4(b, ends);
    }
    for (std::uint32_t v6 : FamiliesIPv6) {
        if (family == v6) {
            return DecodeIPv6(b, ends);
        }
    }
    return Decoded::NotIp;
}

// PPP, with or without the HDLC address and control bytes in front, and
// with a one-byte protocol field where the link compressed it.
Decoded DecodePpp(Bytes b, IpEnds& ends) {
    if (b.Has(2) && b.data[0] == 0xFF && b.data[1] == 0x03) {
        b = b.After(2);
    }
    if (!b.Has(1)) {
        return Decoded::Cut;
    }
    std::uint16_t protocol = b.data[0];
    if ((protocol & 1) != 0) {
        b = b.After(1);
    } else {
        if (!b.Has(2)) {
            return Decoded::Cut;
        }
        protocol = Be16(b.data);
        b = b.After(2);
    }
    if (protocol == PppIPv4) {
        return DecodeIPv4(b, ends);
    }
    if (protocol == PppIPv6) {
        return DecodeIPv6(b, ends);
    }
    return Decoded::NotIp;
}

} // namespace

bool IsReadableLinkType(int linkType) {
    switch (linkType) {
    case DLT_EN10MB:
    case DLT_LINUX_SLL:
    case DLT_LINUX_SLL2:
    case DLT_NULL:
    case DLT_LOOP:
    case DLT_RAW:
    case DLT_IPV4:
    case DLT_IPV6:
    case DLT_PPP:
    case DLT_PPP_SERIAL:
        return true;
    default:
        return false;
    }
}

std::string LinkTypeText(int linkType) {
    const char* name = ::pcap_datalink_val_to_name(linkType);
    const char* description = ::pcap_datalink_val_to_description(linkType);
    if (name == nullptr) {
        return std::to_string(linkType);
    }
    std::string text = name;
    if (description != nullptr) {
        text += " (";
        text += description;
        text += ')';
    }
    return text;
}

Decoded DecodePacket(int linkType, const std::uint8_t* data, std::size_t length, IpEnds& ends) {
    const Bytes b{data, length};
    switch (linkType) {
    case DLT_EN10MB: // destination and source MAC, then the type
        return b.Has(12) ? DecodeEtherType(b.After(12), ends) : Decoded::Cut;
    case DLT_LINUX_SLL: // packet type, address type and length, 8 address bytes
        return b.Has(14) ? DecodeEtherType(b.After(14), ends) : Decoded::Cut;
    case DLT_LINUX_SLL2: // the protocol, then 18 bytes about the interface and sender
        if (!b.Has(20)) {
            return Decoded::Cut;
        }
        if (Be16(b.data) == EtherIPv4) {
            return DecodeIPv4(b.After(20), ends);
        }
        return Be16(b.data) == EtherIPv6 ? DecodeIPv6(b.After(20), ends) : Decoded::NotIp;
    case DLT_NULL:
    case DLT_LOOP:
        return DecodeLoopback(b, ends);
    case DLT_RAW:
        return DecodeRaw(b, ends);
    case DLT_IPV4:
        return DecodeIPv4(b, ends);
    case DLT_IPV6:
        return DecodeIPv6(b, ends);
    case DLT_PPP:
    case DLT_PPP_SERIAL:
        return DecodePpp(b, ends);
    default:
        return Decoded::NotIp;
    }
}

} // namespace orvanta::capture
