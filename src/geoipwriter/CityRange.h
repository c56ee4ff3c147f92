// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What a city database is built from: address ranges, each answered by one
// city record. Shared by the database writer and the importers that feed it.

#include "geoip/AddressValue.h"

#include <cstdint>
#include <string>
#include <vector>

namespace orvanta::geoip {

// One city record as the file stores it. Texts are ISO-8859-1 bytes, as the
// legacy format keeps them; coordinates are degrees, stored to 4 decimals.
struct CityRecordData {
    std::uint8_t countryIndex = 0; // index into the country tables (0 = "--")
    std::string region;
    std::string city;
    std::string postalCode;
    double latitude = 0;
    double longitude = 0;
    std::int32_t dmaCode = 0;  // written only for edition 2 records of "US"
    std::int32_t areaCode = 0; // likewise

    bool operator==(const CityRecordData&) const = default;
};

// Inclusive range of addresses answered by `record`, as numbers (first byte
// most significant): 32-bit values for the IPv4 editions, 128-bit values for
// the IPv6 ones.
struct CityRange {
    AddressValue first = 0;
    AddressValue last = 0;
    CityRecordData record;
};

using CityRanges = std::vector<CityRange>;

// The compact form for large imports: each distinct record once, ranges
// pointing at it by index, so millions of ranges do not copy their texts.
struct IndexedRange {
    AddressValue first = 0;
    AddressValue last = 0;
    std::uint32_t recordIndex = 0; // into CityRangeSet::records
};

struct CityRangeSet {
    std::vector<CityRecordData> records;
    std::vector<IndexedRange> ranges;
};

} // namespace orvanta::geoip
