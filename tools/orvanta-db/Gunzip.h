// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The gzip layer of a downloaded database (zlib). Every member of the file is
// unpacked, in order; the unpacked size is capped, so a small download cannot
// fill the disk.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string_view>

namespace orvanta::dbtool {

class GunzipError : public std::runtime_error {
public:
    explicit GunzipError(const std::string& message) : std::runtime_error(message) {}
};

// True when the bytes begin with the gzip signature.
bool LooksGzipped(std::string_view bytes);

// Unpacks `gz`, handing the bytes to `sink` in pieces. Throws GunzipError for
// data that is not gzip, is damaged or ends early, and when the unpacked
// bytes would exceed `maxBytes`; `sink` may have been called before that.
void Gunzip(std::string_view gz, std::uint64_t maxBytes,
            const std::function<void(const char*, std::size_t)>& sink);

} // namespace orvanta::dbtool
