// SPDX-License-Identifier: GPL-3.0-or-later
// Any bytes as a GeoJSON file: read, or refused with ResultFileError and
// nothing else. What is read must write out and read back as the same rows.
#include "resultfiles/GeoJsonReader.h"
#include "resultfiles/GeoJsonWriter.h"

#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace orvanta::resultfiles;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    GeoJsonContents contents;
    try {
        contents = ReadGeoJson(text, "fuzz.geojson", 1000);
    } catch (const ResultFileError&) {
        return 0;
    }
    std::ostringstream out;
    WriteGeoJson(out, contents.rows);
    const auto back = ReadGeoJson(out.str(), "again.geojson");
    // The parser takes only valid UTF-8, so every text goes out unchanged.
    if (!back.ownFile || back.rows != contents.rows)
        std::abort();
    return 0;
}
