// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Country codes of imported data to the index byte of the country tables.

#include <cstdint>
#include <string_view>

namespace orvanta::geoip {

struct CountryMapping {
    std::uint8_t index = 0; // into CountryCodes / CountryNames
    bool known = false;     // false: the code is not in the tables, index is 0
};

// Exact table lookup (upper-cased first). CW, SX and BQ, which the tables
// still name as "AN" (Netherlands Antilles), map there and count as known.
CountryMapping MapCountryCode(std::string_view code);

} // namespace orvanta::geoip
