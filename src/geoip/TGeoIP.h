// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The reader of one legacy binary city database file. It works on the file in
// place: every tree node and record is fetched with its own positioned read
// when needed, nothing is cached, mapped or read ahead. Callers make one
// reader per lookup; destroying it closes the file.

#include "geoip/EFOpenError.h"
#include "geoip/PositionedFile.h"
#include "geoip/TGeoIPCity.h"
#include "geoip/TLookupResult.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace orvanta::geoip {

class TGeoIP {
public:
    // Opens the file read-only and reads its edition block. Throws
    // EFOpenError when the file cannot be opened (a directory included).
    explicit TGeoIP(const std::string& fileName);
    ~TGeoIP() = default;
    TGeoIP(const TGeoIP&) = delete;
    TGeoIP& operator=(const TGeoIP&) = delete;

    // Fills `record` and returns lrFound, or returns another code and leaves
    // `record` as it was. Never throws for anything found in the file.
    TLookupResult LookupCity(const std::string& address, TGeoIPCity& record);
    // The same lookup, also telling how many address bits the tree walk used
    // (the matched network's prefix length); -1 when no walk was made.
    TLookupResult LookupCity(const std::string& address, TGeoIPCity& record, int& prefixLength);

    // The address as a number, first dotted part most significant (inet_addr
    // forms); 0 when the text is not usable, and for 255.255.255.255.
    static std::uint32_t AddressToNumber(const std::string& address);

    // The terminal value the address leads to; 0 when the walk passes all 32
    // bits without reaching one (a damaged tree).
    std::uint32_t WalkTree(std::uint32_t address);
    // The same walk; `prefixLength` is the number of address bits it used.
    std::uint32_t WalkTree(std::uint32_t address, int& prefixLength);

    std::uint8_t edition() const { return Edition; }
    const std::vector<std::uint32_t>& segments() const { return Segments; }
    std::int32_t recordLength() const { return RecordLength; }

private:
    void DetectEdition();
    TLookupResult ReadCityRecord(std::uint32_t address, TGeoIPCity& record, int& prefixLength);

    // Reads up to `size` bytes at `position`; bytes the file does not deliver
    // are zero. Returns how many were delivered.
    std::size_t ReadAt(std::int64_t position, std::uint8_t* buffer, std::size_t size);

    PositionedFile Stream;
    std::uint8_t Edition = 1;
    std::vector<std::uint32_t> Segments;
    std::int32_t RecordLength = 3;
};

} // namespace orvanta::geoip
