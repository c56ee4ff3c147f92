// Arbitrary bytes as a CSV source for build --csv: either ranges come out or
// a SourceError names the line; nothing else may happen.

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
    return 0;
}
