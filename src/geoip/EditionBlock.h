// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The edition block near the end of a database file, and what the readers
// derive from it: edition, segment boundary and tree pointer width. Both
// readers (the per-lookup file reader and the in-memory image) take it from
// here, so they cannot come to different conclusions about one file.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace orvanta::geoip {

struct EditionBlock {
    std::uint8_t edition = 1;
    std::vector<std::uint32_t> segments; // one boundary for a known edition of the depth
    std::int32_t recordLength = 3;
};

// Reads `size` bytes at `position` into the buffer, zero-filling what the
// file does not deliver, and returns how many it delivered.
using ReadAtFunction = std::function<std::size_t(std::int64_t, std::uint8_t*, std::size_t)>;

// Scans the 3-byte windows starting 3 to 22 bytes before the end of a file of
// `fileSize` bytes; the marker nearest to the end decides. Only editions
// whose tree has `treeDepth` levels get a boundary: a reader of one address
// family leaves `segments` empty for the editions of the other.
EditionBlock ReadEditionBlock(std::int64_t fileSize, const ReadAtFunction& readAt,
                              int treeDepth = 32);

// Least significant byte first.
inline std::uint32_t LittleEndian(const std::uint8_t* bytes, std::int32_t count) {
    std::uint32_t value = 0;
    for (std::int32_t i = count - 1; i >= 0; --i) {
        value = (value << 8) | bytes[i];
    }
    return value;
}

} // namespace orvanta::geoip
