// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A database file read into memory once, answering lookups exactly as TGeoIP
// does on the file: for tools that look up many addresses in one run. The
// program itself keeps TGeoIP (one open and positioned reads per lookup).
// Const lookups only read the image, so threads may share one.

#include "geoip/CityImageCore.h"
#include "geoip/TGeoIPCity.h"
#include "geoip/TLookupResult.h"
#include "geoip/TreeWalk.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace orvanta::geoip {

class CityDatabaseImage {
public:
    // Throws EFOpenError when the file cannot be opened or read (a directory
    // included), with the same message as TGeoIP.
    explicit CityDatabaseImage(const std::string& fileName);

    using Walk = TreeWalkResult;

    // As TGeoIP::LookupCity; `prefixLength` is -1 when no walk was made.
    TLookupResult LookupCity(const std::string& address, TGeoIPCity& record,
                             int& prefixLength) const;
    // The lookup of an address number (non-zero, as TGeoIP::AddressToNumber
    // gives), split so that callers can tell the record position first.
    TLookupResult Find(std::uint32_t address, Walk& walk) const;
    // Find for many addresses at once, with the same answers, one by one.
    void FindMany(const std::uint32_t* addresses, std::size_t count, Walk* walks,
                  TLookupResult* results) const;
    // Asks the processor to fetch a record's bytes ahead of DecodeRecord.
    void PrefetchRecord(std::uint32_t terminal) const;
    // Decodes the record of a walk that Find answered lrFound for.
    void DecodeRecord(std::uint32_t terminal, TGeoIPCity& record) const;

    // As TGeoIP::WalkTree.
    Walk WalkTree(std::uint32_t address) const;

    std::uint8_t edition() const { return core_.edition(); }
    const std::vector<std::uint32_t>& segments() const { return core_.segments(); }
    std::int32_t recordLength() const { return core_.recordLength(); }

private:
    CityImageCore core_;
};

} // namespace orvanta::geoip
