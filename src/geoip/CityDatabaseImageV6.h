// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The IPv6 city editions (30, 31) read into memory once, answering exactly as
// TGeoIPv6 does on the file, for many lookups in one run. It shares the file
// copy, the tree walk and the record decoding with CityDatabaseImage; const
// lookups only read the image, so threads may share one.

#include "geoip/AddressValue.h"
#include "geoip/CityImageCore.h"
#include "geoip/TGeoIPCity.h"
#include "geoip/TLookupResult.h"
#include "geoip/TreeWalk.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace orvanta::geoip {

class CityDatabaseImageV6 {
public:
    // Throws EFOpenError as TGeoIPv6 does.
    explicit CityDatabaseImageV6(const std::string& fileName);

    using Walk = TreeWalkResult;

    // As TGeoIPv6::LookupCity; `prefixLength` is -1 when no walk was made.
    TLookupResult LookupCity(const std::string& address, TGeoIPCity& record,
                             int& prefixLength) const;
    // The lookup of a parsed address (ParseIPv6Address).
    TLookupResult Find(AddressValue address, Walk& walk) const;
    // Find for many addresses at once, with the same answers, one by one.
    void FindMany(const AddressValue* addresses, std::size_t count, Walk* walks,
                  TLookupResult* results) const;
    void PrefetchRecord(std::uint32_t terminal) const;
    // Decodes the record of a walk that Find answered lrFound for.
    void DecodeRecord(std::uint32_t terminal, TGeoIPCity& record) const;

    std::uint8_t edition() const { return core_.edition(); }
    const std::vector<std::uint32_t>& segments() const { return core_.segments(); }

private:
    CityImageCore core_;
};

} // namespace orvanta::geoip
