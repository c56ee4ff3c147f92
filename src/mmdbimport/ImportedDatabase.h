// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The result of reading an MMDB city database: the range set the legacy
// writer takes, the source country code of every record (region codes are
// looked up by it), and what the import met on the way.

#include "geoipwriter/CityRange.h"
#include "mmdbimport/SourceRecord.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace orvanta::mmdbimport {

struct ImportStats {
    std::string databaseType;
    std::uint16_t ipVersion = 0;
    std::uint32_t sourceNodes = 0;  // search tree nodes of the whole source
    int addressBits = 32;           // the family imported: 32 IPv4, 128 IPv6
    std::uint64_t nodesVisited = 0; // of them, those read for that family
    RecordShape shape = RecordShape::Flat;
    std::size_t sourceRanges = 0;  // ranges of the source, one per data record run
    std::size_t sourceRecords = 0; // distinct source records, each decoded once
    // Country codes missing from the tables (stored as index 0), with the
    // number of source records that carry each.
    std::map<std::string, std::size_t> unknownCountries;
    std::size_t withoutCountry = 0; // source records with no country code
};

struct ImportedDatabase {
    geoip::CityRangeSet set;
    std::vector<std::string> countryCodes; // parallel to set.records, upper case
    ImportStats stats;
};

} // namespace orvanta::mmdbimport
