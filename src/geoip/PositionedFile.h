// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A database file opened read-only for positioned reads, as the per-lookup
// readers use it: nothing cached, every read sets its own position.

#include "geoip/FileDescriptor.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace orvanta::geoip {

class PositionedFile {
public:
    // Throws EFOpenError when the file cannot be opened (a directory included).
    explicit PositionedFile(const std::string& fileName);

    // Reads up to `size` bytes at `position`; bytes the file does not deliver
    // are zero. Returns how many were delivered.
    std::size_t ReadAt(std::int64_t position, std::uint8_t* buffer, std::size_t size) const;

    // The size at opening; 0 for anything but a regular file.
    std::int64_t size() const { return size_; }

private:
    FileDescriptor fd_;
    std::int64_t size_ = 0;
};

} // namespace orvanta::geoip
