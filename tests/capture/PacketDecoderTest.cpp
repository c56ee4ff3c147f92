// SPDX-License-Identifier: GPL-3.0-or-later
// Each link type's framing, built byte by byte, down to the outermost IP
// header's addresses; and what is skipped: other protocols, cut headers.

#include "capture/PacketDecoder.h"

#include "CaptureBytes.h"

#include <gtest/gtest.h>
#include <pcap/dlt.h>

namespace orvanta::capture::test {
namespace {

struct DecodeCase {
    const char* name;
    int linkType;
    Bytes bytes;
    Decoded expected;
    std::string source = {};
    std::string destination = {};
};

const Bytes V4 = Ipv4("192.0.2.1", "198.51.100.7", 8);
const Bytes V6 = Ipv6("2001:db8::1", "2001:db8:ff::2", 8);

Bytes Sll1(std::uint16_t protocol, const Bytes& payload) {
    return Big16(0) + Big16(1) + Big16(6) + Bytes(8, '\x02') + Big16(protocol) + payload;
}

Bytes Sll2(std::uint16_t protocol, const Bytes& payload) {
    return Big16(protocol) + Big16(0) + Big32(3) + Big16(1) + Bytes("\0\x06", 2) +
           Bytes(8, '\x02') + payload;
}

TEST(PacketDecoderTest, FindsTheOutermostAddresses) {
    const std::string s4 = "192.0.2.1", d4 = "198.51.100.7";
    const std::string s6 = "2001:db8::1", d6 = "2001:db8:ff::2";
    Bytes shortOptions = V4;
    shortOptions[0] = '\x4F'; // 60-byte header in 28 bytes
    Bytes tinyHeader = V4;
    tinyHeader[0] = '\x44'; // a header length under 20 bytes
    const std::vector<DecodeCase> cases = {
        {"ethernet_ipv4", DLT_EN10MB, Ethernet(0x0800, V4), Decoded::Ip, s4, d4},
        {"ethernet_ipv6", DLT_EN10MB, Ethernet(0x86DD, V6), Decoded::Ip, s6, d6},
        {"ethernet_8021q", DLT_EN10MB, Ethernet(0x0800, V4, {0x8100}), Decoded::Ip, s4, d4},
        {"ethernet_qinq_stack", DLT_EN10MB, Ethernet(0x86DD, V6, {0x88A8, 0x8100, 0x8100}),
         Decoded::Ip, s6, d6},
        {"ethernet_old_qinq", DLT_EN10MB, Ethernet(0x0800, V4, {0x9100}), Decoded::Ip, s4, d4},
        {"ethernet_arp", DLT_EN10MB, Ethernet(0x0806, Bytes(28, '\1')), Decoded::NotIp},
        {"ethernet_unknown_type", DLT_EN10MB, Ethernet(0x88B5, V4), Decoded::NotIp},
        {"ethernet_8023_length", DLT_EN10MB, Ethernet(0x0026, V4), Decoded::NotIp},
        {"ethernet_cut_in_mac", DLT_EN10MB, Bytes(11, '\2'), Decoded::Cut},
        {"ethernet_cut_in_tag", DLT_EN10MB, Ethernet(0x0800, V4, {0x8100}).substr(0, 15),
         Decoded::Cut},
        {"ethernet_cut_ipv4", DLT_EN10MB, Ethernet(0x0800, V4).substr(0, 14 + 19), Decoded::Cut},
        {"ethernet_cut_ipv6", DLT_EN10MB, Ethernet(0x86DD, V6).substr(0, 14 + 39), Decoded::Cut},
        {"ethernet_cut_options", DLT_EN10MB, Ethernet(0x0800, shortOptions), Decoded::Cut},
        {"ethernet_bogus_header_length", DLT_EN10MB, Ethernet(0x0800, tinyHeader), Decoded::NotIp},
        {"ethernet_type_v4_holds_v6", DLT_EN10MB, Ethernet(0x0800, V6), Decoded::NotIp},
        {"tunnel_outer_header_counts", DLT_EN10MB, Ethernet(0x0800, Ipv4(s4, d4) + V6), Decoded::Ip,
         s4, d4},
        {"sll_ipv4", DLT_LINUX_SLL, Sll1(0x0800, V4), Decoded::Ip, s4, d4},
        {"sll_vlan_ipv6", DLT_LINUX_SLL, Sll1(0x8100, Big16(7) + Big16(0x86DD) + V6), Decoded::Ip,
         s6, d6},
        {"sll_cut", DLT_LINUX_SLL, Sll1(0x0800, V4).substr(0, 15), Decoded::Cut},
        {"sll2_ipv6", DLT_LINUX_SLL2, Sll2(0x86DD, V6), Decoded::Ip, s6, d6},
        {"sll2_ipv4", DLT_LINUX_SLL2, Sll2(0x0800, V4), Decoded::Ip, s4, d4},
        {"sll2_arp", DLT_LINUX_SLL2, Sll2(0x0806, Bytes(28, '\1')), Decoded::NotIp},
        {"sll2_cut", DLT_LINUX_SLL2, Sll2(0x0800, V4).substr(0, 19), Decoded::Cut},
        {"null_little_ipv4", DLT_NULL, Little32(2) + V4, Decoded::Ip, s4, d4},
        {"null_big_ipv4", DLT_NULL, Big32(2) + V4, Decoded::Ip, s4, d4},
        {"null_darwin_ipv6", DLT_NULL, Little32(30) + V6, Decoded::Ip, s6, d6},
        {"null_freebsd_ipv6", DLT_NULL, Big32(28) + V6, Decoded::Ip, s6, d6},
        {"loop_openbsd_ipv6", DLT_LOOP, Big32(24) + V6, Decoded::Ip, s6, d6},
        {"loop_little_ipv4", DLT_LOOP, Little32(2) + V4, Decoded::Ip, s4, d4},
        {"null_other_family", DLT_NULL, Little32(7) + V4, Decoded::NotIp},
        {"null_cut", DLT_NULL, Bytes(3, '\0'), Decoded::Cut},
        {"raw_ipv4", DLT_RAW, V4, Decoded::Ip, s4, d4},
        {"raw_ipv6", DLT_RAW, V6, Decoded::Ip, s6, d6},
        {"raw_version_5", DLT_RAW, Bytes(40, '\x50'), Decoded::NotIp},
        {"raw_empty", DLT_RAW, Bytes(), Decoded::Cut},
        {"ipv4_link", DLT_IPV4, V4, Decoded::Ip, s4, d4},
        {"ipv4_link_holds_v6", DLT_IPV4, V6, Decoded::NotIp},
        {"ipv6_link", DLT_IPV6, V6, Decoded::Ip, s6, d6},
        {"ppp_hdlc_ipv4", DLT_PPP, Bytes("\xFF\x03\x00\x21", 4) + V4, Decoded::Ip, s4, d4},
        {"ppp_bare_ipv6", DLT_PPP, Big16(0x0057) + V6, Decoded::Ip, s6, d6},
        {"ppp_compressed_protocol", DLT_PPP, Bytes("\x21", 1) + V4, Decoded::Ip, s4, d4},
        {"ppp_serial_ipv6", DLT_PPP_SERIAL, Bytes("\xFF\x03\x00\x57", 4) + V6, Decoded::Ip, s6, d6},
        {"ppp_lcp", DLT_PPP, Bytes("\xFF\x03\xC0\x21", 4) + Bytes(8, '\1'), Decoded::NotIp},
        {"ppp_cut_protocol", DLT_PPP, Bytes("\xFF\x03\x00", 3), Decoded::Cut},
        {"unread_link_type", DLT_IEEE802_11, Ethernet(0x0800, V4), Decoded::NotIp},
    };
    for (const DecodeCase& c : cases) {
        SCOPED_TRACE(c.name);
        // A copy of exactly the bytes given, so that a read past them is
        // caught by the sanitizers.
        const std::vector<std::uint8_t> data(c.bytes.begin(), c.bytes.end());
        IpEnds ends;
        ASSERT_EQ(DecodePacket(c.linkType, data.data(), data.size(), ends), c.expected);
        if (c.expected == Decoded::Ip) {
            EXPECT_EQ(ends.source.Text(), c.source);
            EXPECT_EQ(ends.destination.Text(), c.destination);
            EXPECT_EQ(ends.source.v6, c.source.find(':') != std::string::npos);
        }
        EXPECT_EQ(IsReadableLinkType(c.linkType), c.linkType != DLT_IEEE802_11);
    }
}

} // namespace
} // namespace orvanta::capture::test
