// SPDX-License-Identifier: GPL-3.0-or-later
// Arbitrary bytes as a CSV source for build --csv: either ranges come out or
// a SourceError names the line; nothing else may happen.

#include "CsvAsnSource.h"
#include "CsvCitySource.h"

#include <cstdint>
#include <sstream>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The last byte picks the family the rows are imported for.
    const int bits = size > 0 && (data[size - 1] & 1) ? 128 : 32;
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    try {
        orvanta::dbtool::CsvImport import = orvanta::dbtool::LoadCityCsv(in, "fuzz.csv", bits);
        for (const auto& range : import.set.ranges) {
            if (range.first > range.last || range.recordIndex >= import.set.records.size()) {
                __builtin_trap();
            }
        }
    } catch (const orvanta::dbtool::SourceError&) {
    }
    // The same bytes as the organisation CSV: ranges that resolve into
    // disjoint, ascending ones, or a SourceError.
    std::istringstream asnIn(std::string(reinterpret_cast<const char*>(data), size));
    try {
        orvanta::dbtool::AsnCsvImport import =
            orvanta::dbtool::LoadAsnCsv(asnIn, "fuzz.csv", bits == 128);
        const auto ranges = orvanta::geoip::ResolveOverlaps(import.set.ranges);
        for (std::size_t i = 0; i < ranges.size(); ++i) {
            if (ranges[i].first > ranges[i].last ||
                ranges[i].textIndex >= import.set.texts.size() ||
                (i > 0 && ranges[i].first <= ranges[i - 1].last)) {
                __builtin_trap();
            }
        }
    } catch (const orvanta::dbtool::SourceError&) {
    }
    return 0;
}
