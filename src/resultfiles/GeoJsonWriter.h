// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The rows as a GeoJSON document (RFC 7946): a FeatureCollection with one
// Feature per row, in list order; a Point at the row's coordinates, or a
// null geometry when the row is not located. Every row carries all its
// values as properties (see kPropertyNames), an absent value as null, so
// other tools see one shape of row. The foreign member "orvanta" holds the
// format number, by which the reader knows its own files, and a newer
// format, whatever tool passed the file on. One feature per line: an error
// in a file edited by hand names a line that is one row.
#include "resultfiles/ResultRecord.h"

#include <array>
#include <ostream>
#include <vector>

namespace orvanta::resultfiles {

inline constexpr int kGeoJsonFormat = 1;
inline constexpr const char* kFormatMember = "orvanta";

inline constexpr std::array<const char*, 13> kPropertyNames = {
    "address",   "result",   "countryCode", "countryName",  "region", "city", "latitude",
    "longitude", "hostName", "asn",         "organization", "count",  "bytes"};
// The "result" property's two values.
inline constexpr const char* kFound = "found";
inline constexpr const char* kNotFound = "not found";

// Throws what `out` throws; the caller checks the stream's state.
void WriteGeoJson(std::ostream& out, const std::vector<ResultRecord>& rows);

} // namespace orvanta::resultfiles
