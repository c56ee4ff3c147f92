// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The country tables of the legacy city format. The index is the byte stored
// in each city record, so the order is part of the file format.

#include <cstddef>

namespace orvanta::geoip {

inline constexpr std::size_t CountryCount = 253;

extern const char* const CountryCodes[CountryCount];
extern const char* const CountryNames[CountryCount];

} // namespace orvanta::geoip
