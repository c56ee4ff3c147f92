// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// City ranges from a CSV file with the columns ip_range_start, ip_range_end,
// country_code, state1, state2, city, postcode, latitude, longitude (further
// columns ignored, a header line optional). The rows of one family are
// imported (IPv4 or IPv6), those of the other checked and counted.

#include "CsvRangeRows.h"
#include "geoipwriter/CityRange.h"

#include <cstddef>
#include <istream>
#include <map>
#include <stdexcept>
#include <string>

namespace orvanta::dbtool {

struct CsvImport {
    geoip::CityRangeSet set;
    std::size_t rangesRead = 0;  // rows of the family imported
    std::size_t ipv6Skipped = 0; // IPv6 rows of an IPv4 import
    std::size_t ipv4Skipped = 0; // IPv4 rows of an IPv6 import
    // Country codes not in the tables (stored as index 0), with row counts.
    std::map<std::string, std::size_t> unknownCodes;
};

// `name` is the file name the error messages show; `addressBits` is 32 for
// the IPv4 rows, 128 for the IPv6 rows.
CsvImport LoadCityCsv(std::istream& in, const std::string& name, int addressBits = 32);
// Throws SourceError also when the file cannot be opened.
CsvImport LoadCityCsvFile(const std::string& path, int addressBits = 32);

} // namespace orvanta::dbtool
