// SPDX-License-Identifier: GPL-3.0-or-later
#include "CaptureBytes.h"

#include <arpa/inet.h>
#include <stdexcept>

namespace orvanta::capture::test {
namespace {

Bytes AddressBytes(int family, const std::string& text) {
    unsigned char raw[16] = {};
    if (::inet_pton(family, text.c_str(), raw) != 1) {
        throw std::invalid_argument("not an address: " + text);
    }
    return Bytes(reinterpret_cast<const char*>(raw), family == AF_INET ? 4 : 16);
}

class Writer {
public:
    explicit Writer(bool big) : big_(big) {}
    void U16(std::uint32_t v) { Put(v, 2); }
    void U32(std::uint32_t v) { Put(v, 4); }
    void Raw(const Bytes& b) { out_ += b; }
    void Pad() { out_.append((4 - out_.size() % 4) % 4, '\0'); }
    Bytes& Out() { return out_; }

private:
    void Put(std::uint32_t v, int n) {
        for (int i = 0; i < n; ++i) {
            const int shift = big_ ? (n - 1 - i) * 8 : i * 8;
            out_ += static_cast<char>((v >> shift) & 0xFF);
        }
    }
    bool big_;
    Bytes out_;
};

std::uint32_t WireLength(const TestPacket& p) {
    return p.wireLength != 0 ? p.wireLength : static_cast<std::uint32_t>(p.bytes.size());
}

Bytes Pcap(bool nano, bool big, int linkType, const std::vector<TestPacket>& packets) {
    Writer w(big);
    w.U32(nano ? 0xA1B23C4D : 0xA1B2C3D4);
    w.U16(2);
    w.U16(4);
    w.U32(0);
    w.U32(0);
    w.U32(262144);
    w.U32(static_cast<std::uint32_t>(linkType));
    std::uint32_t second = 1700000000;
    for (const TestPacket& p : packets) {
        w.U32(second++);
        w.U32(nano ? 999999999 : 999999);
        w.U32(static_cast<std::uint32_t>(p.bytes.size()));
        w.U32(WireLength(p));
        w.Raw(p.bytes);
    }
    return w.Out();
}

// A section header, one interface with nanosecond stamps, enhanced packet blocks.
Bytes Pcapng(bool big, int linkType, const std::vector<TestPacket>& packets) {
    Writer w(big);
    w.U32(0x0A0D0D0A);
    w.U32(28);
    w.U32(0x1A2B3C4D);
    w.U16(1);
    w.U16(0);
    w.U32(0xFFFFFFFF); // section length unknown
    w.U32(0xFFFFFFFF);
    w.U32(28);
    w.U32(1);  // interface description
    w.U32(32); // with one option (if_tsresol) and the end of options
    w.U16(static_cast<std::uint32_t>(linkType));
    w.U16(0);
    w.U32(0);
    w.U16(9);
    w.U16(1);
    w.Raw(Bytes("\x09\0\0\0", 4));
    w.U32(0);
    w.U32(32);
    for (const TestPacket& p : packets) {
        const std::uint32_t padded = static_cast<std::uint32_t>((p.bytes.size() + 3) / 4 * 4);
        w.U32(6);
        w.U32(32 + padded);
        w.U32(0);
        w.U32(0x17);
        w.U32(0x42);
        w.U32(static_cast<std::uint32_t>(p.bytes.size()));
        w.U32(WireLength(p));
        w.Raw(p.bytes);
        w.Pad();
        w.U32(32 + padded);
    }
    return w.Out();
}

} // namespace

Bytes Big16(std::uint16_t value) {
    return Bytes{static_cast<char>(value >> 8), static_cast<char>(value & 0xFF)};
}

Bytes Big32(std::uint32_t value) {
    return Big16(static_cast<std::uint16_t>(value >> 16)) +
           Big16(static_cast<std::uint16_t>(value & 0xFFFF));
}

Bytes Little32(std::uint32_t value) {
    Bytes b = Big32(value);
    return Bytes(b.rbegin(), b.rend());
}

Bytes Ipv4(const std::string& source, const std::string& destination, std::size_t payload) {
    Bytes header = Bytes("\x45\0", 2) + Big16(static_cast<std::uint16_t>(20 + payload)) +
                   Bytes("\0\0\0\0\x40\x11\0\0", 8);
    return header + AddressBytes(AF_INET, source) + AddressBytes(AF_INET, destination) +
           Bytes(payload, '\0');
}

Bytes Ipv6(const std::string& source, const std::string& destination, std::size_t payload) {
    Bytes header =
        Bytes("\x60\0\0\0", 4) + Big16(static_cast<std::uint16_t>(payload)) + Bytes("\x11\x40", 2);
    return header + AddressBytes(AF_INET6, source) + AddressBytes(AF_INET6, destination) +
           Bytes(payload, '\0');
}

Bytes Ethernet(std::uint16_t type, const Bytes& payload, const std::vector<std::uint16_t>& tags) {
    Bytes frame = Bytes("\x02\0\0\0\0\x01\x02\0\0\0\0\x02", 12);
    for (std::uint16_t tag : tags) {
        frame += Big16(tag) + Big16(42);
    }
    return frame + Big16(type) + payload;
}

Bytes CaptureFile(CaptureFormat format, bool bigEndian, int linkType,
                  const std::vector<TestPacket>& packets) {
    switch (format) {
    case CaptureFormat::PcapMicro:
        return Pcap(false, bigEndian, linkType, packets);
    case CaptureFormat::PcapNano:
        return Pcap(true, bigEndian, linkType, packets);
    case CaptureFormat::Pcapng:
        return Pcapng(bigEndian, linkType, packets);
    }
    return {};
}

} // namespace orvanta::capture::test
