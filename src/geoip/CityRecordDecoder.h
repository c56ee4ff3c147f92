#pragma once
// Decodes the 50-byte record window of a city edition into a TGeoIPCity.
// Shared by both readers so that their answers are the same by construction.

#include "geoip/TGeoIPCity.h"

#include <cstddef>
#include <cstdint>

namespace orvanta::geoip {

inline constexpr std::size_t RecordWindow = 50;

// `window` holds RecordWindow bytes (zeros where the file ended); `edition` is
// 2 or 6. Every field of `record` is written.
void DecodeCityRecord(const std::uint8_t* window, std::uint8_t edition, TGeoIPCity& record);

} // namespace orvanta::geoip
