// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// An organisation database read into memory once, answering as AsnDatabase
// does on the file: for runs that look up many addresses (the tool's bulk
// mode, many-address runs of the program). Lookups are const and change no
// state, so threads may share one image.

#include "geoip/AddressValue.h"
#include "geoip/DatabaseImageBytes.h"
#include "geoip/ImageTree.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace orvanta::geoip {

class AsnDatabaseImage {
public:
    // `treeDepth`: 32 (IPv4) or 128 (IPv6). Throws EFOpenError when the file
    // cannot be opened or read.
    AsnDatabaseImage(const std::string& fileName, int treeDepth);
    AsnDatabaseImage(const AsnDatabaseImage&) = delete;
    AsnDatabaseImage& operator=(const AsnDatabaseImage&) = delete;

    // The terminal value the address leads to; 0 when it has no record.
    // Callers that keep answers per record key them by it.
    std::uint32_t Terminal(AddressValue address) const;
    // Terminal for many addresses at once (the walks overlap their memory
    // waits); `terminals[i]` answers `addresses[i]`.
    void TerminalMany(const AddressValue* addresses, std::size_t count,
                      std::uint32_t* terminals) const;
    // The same for IPv4 address numbers, without 128-bit arithmetic; only an
    // IPv4 image answers them.
    void TerminalMany(const std::uint32_t* addresses, std::size_t count,
                      std::uint32_t* terminals) const;
    // The text of a non-zero terminal value; nothing for a damaged one. The
    // view points into the image.
    std::optional<std::string_view> TextOf(std::uint32_t terminal) const;
    // Both in one.
    std::optional<std::string_view> Lookup(AddressValue address) const;

    bool answers() const { return boundary_ != 0; }
    std::uint8_t edition() const { return edition_; }

private:
    DatabaseImageBytes bytes_;
    int treeDepth_ = 32;
    std::uint8_t edition_ = 1;
    std::uint32_t boundary_ = 0; // 0 when the file answers nothing
    std::int32_t valueBytes_ = 3;
    std::optional<ImageTree> tree_;
};

} // namespace orvanta::geoip
