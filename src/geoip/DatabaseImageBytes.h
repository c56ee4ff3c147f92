// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The bytes of a database file read into memory once, for the in-memory
// readers that answer many lookups in one run.
//
// The file is copied with plain reads rather than mapped: a file that another
// process truncates or replaces while a long run reads it cannot fault the
// reader (a mapping would raise SIGBUS); the run keeps the copy it took.
// Only the bytes a lookup can ever reach are kept: the first 128 MiB (a
// 3-byte tree reaches below 96 MiB, a 4-byte one below 128 MiB) and the last
// bytes, where the edition block lies, so a huge file cannot make the reader
// take memory beyond that.

#include "geoip/EditionBlock.h"
#include "memory/LargePages.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace orvanta::geoip {

// Frees a block of memory::AllocateLarge.
struct FreeLargeBlock {
    std::size_t bytes = 0;
    void operator()(std::uint8_t* data) const { memory::FreeLarge(data, bytes); }
};

class DatabaseImageBytes {
public:
    // Throws EFOpenError when the file cannot be opened or read (a directory
    // included), with the same message as TGeoIP. Anything but a regular
    // file reads as empty, as it does for TGeoIP.
    explicit DatabaseImageBytes(const std::string& fileName);

    // As PositionedFile::ReadAt on the file as it was read.
    std::size_t ReadAt(std::int64_t position, std::uint8_t* buffer, std::size_t size) const;
    EditionBlock ReadEditionBlock(int treeDepth) const;

    // A child value of a tree node.
    std::uint32_t Child(std::uint32_t node, int side, std::int32_t valueBytes) const {
        const auto length = static_cast<std::size_t>(valueBytes);
        const std::size_t position = static_cast<std::size_t>(node) * 2 * length + side * length;
        if (position + length <= headSize_) {
            return LittleEndian(head_.get() + position, valueBytes);
        }
        return ChildPastHead(position, valueBytes);
    }

    // `size` bytes at `position` when they all lie in the copy, else nullptr.
    const std::uint8_t* Window(std::int64_t position, std::size_t size) const;

    // Asks the processor to fetch the bytes at `position` ahead of a read.
    void Prefetch(std::int64_t position) const {
        if (position >= 0 && position < static_cast<std::int64_t>(headSize_)) {
            __builtin_prefetch(head_.get() + position);
        }
    }

private:
    void Load(int fd, std::int64_t size, const std::string& fileName);
    std::uint32_t ChildPastHead(std::size_t position, std::int32_t valueBytes) const;

    // The file's first bytes, tens of megabytes written once by the read:
    // in large pages, and not cleared before.
    std::unique_ptr<std::uint8_t[], FreeLargeBlock> head_;
    std::size_t headSize_ = 0;
    std::vector<std::uint8_t> tail_; // its last bytes, when the head is not all of it
    std::int64_t fileSize_ = 0;
};

} // namespace orvanta::geoip
