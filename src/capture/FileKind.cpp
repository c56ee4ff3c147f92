// SPDX-License-Identifier: GPL-3.0-or-later
#include "capture/FileKind.h"

#include <cstdint>
#include <fstream>

namespace orvanta::capture {
namespace {

// The first four bytes as a big-endian number, and the magic numbers a
// capture begins with in either byte order: pcap with microseconds, with
// nanoseconds, the patched-kernel variant libpcap also reads, and the
// pcapng section header block (the same bytes in both orders).
constexpr std::uint32_t CaptureMagics[] = {0xA1B2C3D4, 0xA1B23C4D, 0xA1B2CD34, 0x0A0D0D0A};

} // namespace

FileKind FileKindOfStart(const unsigned char* start, std::size_t length) {
    if (length < 4) {
        return FileKind::Text;
    }
    const std::uint32_t big = std::uint32_t(start[0]) << 24 | std::uint32_t(start[1]) << 16 |
                              std::uint32_t(start[2]) << 8 | start[3];
    const std::uint32_t little = __builtin_bswap32(big);
    for (std::uint32_t magic : CaptureMagics) {
        if (big == magic || little == magic) {
            return FileKind::Capture;
        }
    }
    return FileKind::Text;
}

FileKind FileKindOf(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    unsigned char start[4] = {};
    file.read(reinterpret_cast<char*>(start), sizeof start);
    return FileKindOfStart(start, static_cast<std::size_t>(file.gcount()));
}

} // namespace orvanta::capture
