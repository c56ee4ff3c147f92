// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Turns a city record into the bytes the reader decodes: country index, three
// NUL-terminated texts, latitude and longitude as 3-byte numbers and, for
// edition 2 records of "US" only, DmaCode * 1000 + AreaCode.

#include "geoipwriter/CityRange.h"
#include "geoipwriter/EncodedRecord.h"

#include <string>

namespace orvanta::geoip {

// Throws WriteError for what no option can store: a country index past the
// tables, a NUL inside a text, a coordinate outside -180 to 1497.7215, codes
// that do not fit the third number. An overlong record is shortened when
// `fit` is set, else returned as it is with `overlong` set. The edition's
// row tells whether "US" records carry the third number.
EncodedRecord EncodeRecord(const CityRecordData& record, int edition, bool fit);

// The 3-byte number of a coordinate: degrees * 10000 + 1800000, rounded.
bool CoordinateNumber(double degrees, std::uint32_t& number);

} // namespace orvanta::geoip
