// SPDX-License-Identifier: GPL-3.0-or-later
#include "map/CountriesCalls.h"

#include <nlohmann/json.hpp>

namespace orvanta::map {
namespace {

std::string ifCountriesLayer(const std::string& call) {
    return "if (typeof countriesShow === 'function') { " + call + "; }";
}

} // namespace

std::string countriesShowCall(const std::vector<CountryShade>& lines) {
    nlohmann::json table = nlohmann::json::array();
    for (const CountryShade& line : lines)
        table.push_back({line.code, line.name, line.addresses, line.occurrences});
    // A JSON text is a script literal; names that are not UTF-8 get U+FFFD.
    return ifCountriesLayer("countriesShow(" +
                            table.dump(-1, ' ', true, nlohmann::json::error_handler_t::replace) +
                            ")");
}

std::string countriesClearCall() {
    return ifCountriesLayer("countriesClear()");
}

} // namespace orvanta::map
