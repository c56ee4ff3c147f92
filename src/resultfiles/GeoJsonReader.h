// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Reads a GeoJSON document back into rows. A file that Orvanta wrote (the
// "orvanta" member, see GeoJsonWriter.h) gives back every row exactly as
// saved, located or not; any other FeatureCollection (or a lone Feature)
// gives one row per Point feature at its coordinates, with the properties
// that have our names and types taken over ("address" above all) and other
// geometries passed over.
//
// All or nothing: a file that is not JSON, nests deeper than 64 levels,
// holds more than kMaxFeatures features, has a value of the wrong type,
// coordinates outside the globe, or was written by a newer Orvanta raises
// ResultFileError naming the file and the line or the feature, and gives no
// row at all. The document is parsed feature by feature, so memory grows
// with the rows, never with a tree of the whole file.
#include "resultfiles/ResultRecord.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace orvanta::resultfiles {

inline constexpr std::size_t kMaxFeatures = 1'000'000;
inline constexpr std::size_t kMaxFileBytes = std::size_t{512} << 20;

struct GeoJsonContents {
    std::vector<ResultRecord> rows;
    bool ownFile = false; // written by Orvanta: the rows are exactly as saved
};

// `fileName` only names the file in error messages.
GeoJsonContents ReadGeoJson(std::string_view text, const std::string& fileName,
                            std::size_t maxFeatures = kMaxFeatures);
// Reads the file whole (at most kMaxFileBytes) and then as above.
GeoJsonContents ReadGeoJsonFile(const std::string& path);

// Whether a file that starts with `start` (its first few kilobytes) looks
// like a GeoJSON document, for telling it from a log or a capture file.
bool LooksLikeGeoJson(std::string_view start);

} // namespace orvanta::resultfiles
