// SPDX-License-Identifier: GPL-3.0-or-later
// One packet of any link type: the first byte picks the link type (mostly
// one of those read, now and then any number), the rest are the packet's
// bytes, copied so that a read past them is caught. Decoded addresses go
// into a tally, as a capture's would.

#include "capture/EndpointTally.h"
#include "capture/PacketDecoder.h"

#include <cstdint>
#include <cstring>
#include <pcap/dlt.h>
#include <vector>

namespace {

constexpr int ReadLinkTypes[] = {DLT_EN10MB, DLT_LINUX_SLL, DLT_LINUX_SLL2, DLT_NULL,
                                 DLT_LOOP,   DLT_RAW,       DLT_IPV4,       DLT_IPV6,
                                 DLT_PPP,    DLT_PPP_SERIAL};
constexpr std::size_t ReadCount = sizeof ReadLinkTypes / sizeof ReadLinkTypes[0];

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) {
        return 0;
    }
    int linkType = ReadLinkTypes[data[0] % ReadCount];
    if (data[0] >= 250 && size >= 3) { // any number at all
        linkType = data[1] << 8 | data[2];
        data += 2;
        size -= 2;
    }
    const std::vector<std::uint8_t> packet(data + 1, data + size);
    orvanta::capture::IpEnds ends;
    orvanta::capture::EndpointTally tally;
    if (orvanta::capture::DecodePacket(linkType, packet.data(), packet.size(), ends) ==
        orvanta::capture::Decoded::Ip) {
        tally.Add(ends, packet.size());
        (void)ends.source.Text();
    }
    return 0;
}
