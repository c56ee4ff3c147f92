// SPDX-License-Identifier: GPL-3.0-or-later
#include "geoipwriter/CountryMapping.h"

#include "geoip/GeoIPCountries.h"

#include <array>
#include <cstring>

namespace orvanta::geoip {
namespace {

constexpr std::uint8_t FormerAntilles = 10; // "AN", "Netherlands Antilles"

unsigned Key(unsigned char first, unsigned char second) {
    return first << 8 | second;
}

// Index plus one per two-byte code, 0 for codes not in the tables; built once
// so that a million-row import does not search the tables row by row.
const std::array<std::uint8_t, 65536>& CodeTable() {
    static const std::array<std::uint8_t, 65536> table = [] {
        std::array<std::uint8_t, 65536> codes{};
        for (std::size_t i = 0; i < CountryCount; ++i) {
            const auto* code = reinterpret_cast<const unsigned char*>(CountryCodes[i]);
            codes[Key(code[0], code[1])] = static_cast<std::uint8_t>(i + 1);
        }
        // Curacao, Sint Maarten and the Caribbean Netherlands took over the
        // codes of the former Netherlands Antilles, which the tables still hold.
        for (const char* code : {"CW", "SX", "BQ"}) {
            codes[Key(code[0], code[1])] = FormerAntilles + 1;
        }
        return codes;
    }();
    return table;
}

unsigned char Upper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<unsigned char>(c - 'a' + 'A')
                                : static_cast<unsigned char>(c);
}

} // namespace

CountryMapping MapCountryCode(std::string_view code) {
    if (code.size() != 2) {
        return {0, false};
    }
    std::uint8_t entry = CodeTable()[Key(Upper(code[0]), Upper(code[1]))];
    if (entry == 0) {
        return {0, false};
    }
    return {static_cast<std::uint8_t>(entry - 1), true};
}

} // namespace orvanta::geoip
