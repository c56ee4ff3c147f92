// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Packets and capture files made byte by byte for the tests: IP headers,
// link-layer framings, and pcap (micro- or nanosecond) and pcapng files in
// either byte order.

#include <cstdint>
#include <string>
#include <vector>

namespace orvanta::capture::test {

using Bytes = std::string;

// A 20-byte IPv4 header and `payload` zero bytes; addresses as text.
Bytes Ipv4(const std::string& source, const std::string& destination, std::size_t payload = 0);
// A 40-byte IPv6 header and `payload` zero bytes.
Bytes Ipv6(const std::string& source, const std::string& destination, std::size_t payload = 0);
// Two MAC addresses, any VLAN tags (each a tag type: 0x8100, 0x88A8), the
// ethertype, then `payload`.
Bytes Ethernet(std::uint16_t type, const Bytes& payload,
               const std::vector<std::uint16_t>& tags = {});
Bytes Big16(std::uint16_t value);
Bytes Big32(std::uint32_t value);
Bytes Little32(std::uint32_t value);

struct TestPacket {
    Bytes bytes;
    std::uint32_t wireLength = 0; // the original length; 0: the bytes' length
};

enum class CaptureFormat { PcapMicro, PcapNano, Pcapng };

// A whole capture file of `linkType` (a LINKTYPE_ number, as files hold).
Bytes CaptureFile(CaptureFormat format, bool bigEndian, int linkType,
                  const std::vector<TestPacket>& packets);

} // namespace orvanta::capture::test
