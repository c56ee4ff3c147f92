// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Writes a city database (editions 2 and 6 for IPv4, 30 and 31 for IPv6;
// 3-byte tree values) from address ranges: the fewest aligned blocks per
// range, a binary search tree of the edition's depth whose unanswered
// addresses end at the segment boundary, each distinct record once after the
// tree, and the edition block last.

#include "geoipwriter/CityRange.h"
#include "geoipwriter/WriteError.h"
#include "geoipwriter/WriteOptions.h"
#include "geoipwriter/WriteSummary.h"

#include <cstdint>
#include <string>

namespace orvanta::geoip {

// The largest number a 3-byte field holds: every tree value, the segment
// boundary and the coordinate numbers must stay at or below it.
inline constexpr std::uint32_t MaxThreeByteValue = 0xFFFFFF;

// The reader's record window: a record, third number included, must fit.
inline constexpr std::size_t RecordWindowSize = 50;

// Builds the database and renames it into place at `path`. Throws WriteError,
// leaving `path` untouched, for overlapping ranges, records the window cannot
// hold (unless options.fit), values beyond 3 bytes and failed writes.
WriteSummary WriteCityDatabase(const std::string& path, const CityRangeSet& set,
                               const WriteOptions& options);
WriteSummary WriteCityDatabase(const std::string& path, const CityRanges& ranges,
                               const WriteOptions& options);

// The counts of WriteCityDatabase without writing anything. Throws WriteError
// for overlapping ranges and records no option can store (bad coordinates, a
// NUL inside a text); overlong records and a too large tree are reported in
// the summary (overlongRecords, largestValue) instead.
WriteSummary MeasureCityDatabase(const CityRangeSet& set, const WriteOptions& options);
WriteSummary MeasureCityDatabase(const CityRanges& ranges, const WriteOptions& options);

// The compact form of a list of ranges: equal records stored once.
CityRangeSet ToRangeSet(const CityRanges& ranges);

} // namespace orvanta::geoip
