// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The organisation part of `orvanta-db lookup`: which files answer it, and
// the record text of an address, per lookup (a fresh reader, as the program
// does) or from memory for bulk runs. A default file that is missing leaves
// the fields empty; a file named on the command line must open.

#include "geoip/AsnDatabaseImage.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace orvanta::dbtool {

struct AsnFiles {
    std::string v4 = "GeoIPASNum.dat";
    std::string v6 = "GeoIPASNumv6.dat";
    bool v4Given = false; // named with --asn: must open
    bool v6Given = false; // named with --asn6
};

// The record text of the address from fresh readers; nothing when there is
// no file, no record or no usable address. Throws geoip::EFOpenError for a
// named file that cannot be opened (and for a default file that exists but
// cannot be opened).
std::optional<std::string> LookupAsnOnce(const AsnFiles& files, const std::string& address);

// Both files read into memory once.
class AsnImages {
public:
    // Throws as LookupAsnOnce would.
    explicit AsnImages(const AsnFiles& files);

    // The terminal value of an IPv4 address number (0 without a record), and
    // the text of one; split so that callers can keep answers per record.
    std::uint32_t Terminal4(std::uint32_t number) const;
    // Terminal4 for many numbers at once, the walks side by side.
    void Terminals4(const std::uint32_t* numbers, std::size_t count,
                    std::uint32_t* terminals) const;
    std::optional<std::string_view> Text4(std::uint32_t terminal) const;
    // Any address text.
    std::optional<std::string_view> Lookup(const std::string& address) const;

private:
    std::optional<geoip::AsnDatabaseImage> v4_;
    std::optional<geoip::AsnDatabaseImage> v6_;
};

} // namespace orvanta::dbtool
