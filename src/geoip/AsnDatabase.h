// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The reader of one organisation database file (GeoIPASNum.dat for IPv4,
// GeoIPASNumv6.dat for IPv6). Like TGeoIP it works on the file in place, one
// positioned read per tree level and one for the text, and callers make one
// per lookup; it shares the edition block and the tree walk with the city
// readers.

#include "geoip/AddressValue.h"
#include "geoip/PositionedFile.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace orvanta::geoip {

class AsnDatabase {
public:
    // `treeDepth` is the family the caller asks for: 32 (IPv4) or 128 (IPv6).
    // Throws EFOpenError when the file cannot be opened (a directory too).
    AsnDatabase(const std::string& fileName, int treeDepth);

    // The record text of the address ("AS15169 Google LLC"); nothing when the
    // file has none for it, is not an organisation edition of this family,
    // or is damaged where the lookup leads.
    std::optional<std::string> Lookup(AddressValue address) const;

    // Whether the file is an organisation edition of the asked family.
    bool answers() const { return boundary_ != 0; }
    std::uint8_t edition() const { return edition_; }

private:
    PositionedFile file_;
    int treeDepth_ = 32;
    std::uint8_t edition_ = 1;
    std::uint32_t boundary_ = 0; // 0 when the file answers nothing
    std::int32_t valueBytes_ = 3;
};

// The boundary of an organisation edition of `treeDepth` levels, 0 for any
// other edition: the one check both organisation readers make.
std::uint32_t TextEditionBoundary(std::uint8_t edition, int treeDepth,
                                  const std::vector<std::uint32_t>& segments);

} // namespace orvanta::geoip
