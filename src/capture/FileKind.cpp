// SPDX-License-Identifier: GPL-3.0-or-later
#include "capture/FileKind.h"

#include <cstdint>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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
    // Not blocking on the open, and only regular files looked into: a pipe
    // without a writer would hold the caller until one came.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return FileKind::Text;
    }
    struct stat info {};
    unsigned char start[4] = {};
    ssize_t got = 0;
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
        got = ::read(fd, start, sizeof start);
    }
    ::close(fd);
    return FileKindOfStart(start, got > 0 ? static_cast<std::size_t>(got) : 0);
}

} // namespace orvanta::capture
