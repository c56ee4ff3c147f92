// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The part of writing a database that every edition shares: ranges checked
// and sorted, each distinct encoded record stored once after the tree,
// neighbouring ranges of one record merged, the fewest aligned blocks per
// range in a tree of the edition's depth, and the file written through a
// temporary file with the edition block last. What a record is comes from
// the record encoder of the edition's kind (city records, text records).

#include "geoip/Editions.h"
#include "geoipwriter/CityRange.h"
#include "geoipwriter/EncodedRecord.h"
#include "geoipwriter/WriteSummary.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace orvanta::geoip {

struct RecordSource {
    std::size_t count = 0;
    // Encodes record `index` (below count); throws WriteError for a record
    // no option can store.
    std::function<EncodedRecord(std::uint32_t index)> encode;
};

// The text of an address of a tree of `depth` bits, for messages.
std::string AddressText(AddressValue address, int depth);

// Throws WriteError for bad or overlapping ranges and unstorable records.
WriteSummary MeasureTreeDatabase(const std::vector<IndexedRange>& ranges,
                                 const RecordSource& records, const EditionInfo& edition);
// Also throws WriteError, leaving `path` untouched, for records longer than
// the window that were not shortened, values beyond 3 bytes and failed writes.
WriteSummary WriteTreeDatabase(const std::string& path, const std::vector<IndexedRange>& ranges,
                               const RecordSource& records, const EditionInfo& edition);

} // namespace orvanta::geoip
