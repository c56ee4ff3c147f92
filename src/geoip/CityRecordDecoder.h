// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Decodes the 50-byte record window of a city edition into a TGeoIPCity.
// Shared by both readers so that their answers are the same by construction.

#include "geoip/TGeoIPCity.h"

#include <cstddef>
#include <cstdint>

namespace orvanta::geoip {

inline constexpr std::size_t RecordWindow = 50;

// `window` holds RecordWindow bytes (zeros where the file ended); `edition` is
// a city edition, whose row tells whether "US" records carry the third
// number. Every field of `record` is written.
void DecodeCityRecord(const std::uint8_t* window, std::uint8_t edition, TGeoIPCity& record);

// Where the record of terminal value `terminal` starts: t - B bytes after the
// B tree nodes of 2 * `valueBytes` bytes each.
inline std::int64_t RecordPosition(std::uint32_t terminal, std::uint32_t boundary,
                                   std::int32_t valueBytes) {
    return static_cast<std::int64_t>(terminal) +
           static_cast<std::int64_t>(2 * valueBytes - 1) * boundary;
}

} // namespace orvanta::geoip
