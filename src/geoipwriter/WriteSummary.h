// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What a database build produced (or, for MeasureCityDatabase, would produce).

#include <cstddef>
#include <cstdint>

namespace orvanta::geoip {

struct WriteSummary {
    std::size_t ranges = 0;           // ranges given
    std::size_t blocks = 0;           // aligned blocks after merging neighbours
    std::size_t treeNodes = 0;        // nodes of the search tree (= the segment boundary)
    std::size_t distinctRecords = 0;  // records stored, each once
    std::size_t shortenedRecords = 0; // distinct records whose texts were cut to fit
    std::uint64_t recordBytes = 0;    // size of the record area
    std::uint64_t fileSize = 0;       // size of the whole file
    // Records longer than the 50-byte window before any shortening; writing
    // refuses them unless WriteOptions::fit is set.
    std::size_t overlongRecords = 0;
    // The largest value a tree node holds; the file needs it to be at most
    // MaxThreeByteValue. MeasureCityDatabase reports it without refusing.
    std::uint64_t largestValue = 0;
};

} // namespace orvanta::geoip
