// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The script calls that shade the open map's countries: the whole table of
// countries each time it changes (a few hundred lines at most), and its
// emptying. Each does nothing on a page without the shaded layer (the
// keyed street map page).
#include <cstdint>
#include <string>
#include <vector>

namespace orvanta::map {

struct CountryShade {
    std::string code; // the database's two-letter code, empty when not located
    std::string name;
    std::uint64_t addresses = 0;
    std::uint64_t occurrences = 0;
};

// "countriesShow([["DE","Germany",12,40],...])", texts as JSON strings.
std::string countriesShowCall(const std::vector<CountryShade>& lines);
std::string countriesClearCall();

} // namespace orvanta::map
