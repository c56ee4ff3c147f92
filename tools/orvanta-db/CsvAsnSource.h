// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Organisation ranges from a CSV file with the columns ip_range_start,
// ip_range_end, autonomous_system_number, autonomous_system_organization
// (a header line optional, further columns ignored). Addresses are of one
// family: IPv4 for the IPv4 edition, IPv6 for the IPv6 one; a row of the
// other family is refused, as it would be silently lost otherwise.

#include "geoipwriter/AsnRange.h"

#include <cstddef>
#include <istream>
#include <string>

namespace orvanta::dbtool {

struct AsnCsvImport {
    geoip::AsnRangeSet set;     // ranges as given, overlaps not yet resolved
    std::size_t rangesRead = 0; // data rows
    std::size_t shortened = 0;  // names cut to fit the record window
};

// `ipv6` chooses the family; `name` is the file name messages show. Throws
// SourceError "NAME:LINE: what is wrong" for a bad row.
AsnCsvImport LoadAsnCsv(std::istream& in, const std::string& name, bool ipv6);
// Throws SourceError also when the file cannot be opened.
AsnCsvImport LoadAsnCsvFile(const std::string& path, bool ipv6);

} // namespace orvanta::dbtool
