// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// orvanta-db build for the organisation editions (9 for IPv4, 21 for IPv6):
// the ranges of a four-column CSV file or an MMDB ASN database, overlaps
// resolved in favour of the narrower range, written with the shared writer.

#include <iosfwd>

namespace orvanta::dbtool {

struct BuildOptions;

inline bool IsAsnEdition(int edition) {
    return edition == 9 || edition == 21;
}

// Prints the summary to `out`; throws SourceError, mmdbimport::ImportError or
// geoip::WriteError, leaving the output untouched, when it cannot build.
int BuildAsnDatabase(const BuildOptions& options, std::ostream& out);

} // namespace orvanta::dbtool
