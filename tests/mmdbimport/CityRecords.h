// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Record values of the two MMDB city shapes, as the tests write them.

#include "MmdbTestWriter.h"

#include <cstdint>
#include <string>

namespace orvanta::mmdbtest {

// The flat shape of DB-IP's City Lite (latitude and longitude as floats).
inline Value FlatCity(const std::string& country, const std::string& state1,
                      const std::string& city, double latitude, double longitude,
                      const std::string& postcode = "", const std::string& timezone = "") {
    return Map({{"city", Text(city)},
                {"country_code", Text(country)},
                {"latitude", Float(float(latitude))},
                {"longitude", Float(float(longitude))},
                {"postcode", Text(postcode)},
                {"state1", Text(state1)},
                {"state2", Text("")},
                {"timezone", Text(timezone)}});
}

// The nested city shape.
inline Value NestedCity(const std::string& country, const std::string& subdivision,
                        const std::string& city, double latitude, double longitude,
                        const std::string& postal = "", std::uint16_t metro = 0) {
    std::vector<std::pair<std::string, Value>> location = {{"latitude", Double(latitude)},
                                                           {"longitude", Double(longitude)}};
    if (metro != 0)
        location.push_back({"metro_code", Uint16(metro)});
    std::vector<std::pair<std::string, Value>> members = {
        {"city", Map({{"geoname_id", Uint32(1)}, {"names", Map({{"en", Text(city)}})}})},
        {"continent", Map({{"code", Text("XX")}})},
        {"country", Map({{"iso_code", Text(country)}})},
        {"location", Map(location)}};
    if (!postal.empty())
        members.push_back({"postal", Map({{"code", Text(postal)}})});
    if (!subdivision.empty())
        members.push_back({"subdivisions", Array({Map({{"iso_code", Text(subdivision)}})})});
    return Map(members);
}

// The nested shape of DB-IP's own City Lite download: English names only,
// subdivisions without an ISO code, no postal code.
inline Value DbipNestedCity(const std::string& country, const std::string& subdivision,
                            const std::string& city, double latitude, double longitude) {
    std::vector<std::pair<std::string, Value>> members = {
        {"city", Map({{"names", Map({{"en", Text(city)}})}})},
        {"continent",
         Map({{"code", Text("NA")},
              {"geoname_id", Uint32(6255149)},
              {"names", Map({{"de", Text("Nordamerika")}, {"en", Text("North America")}})}})},
        {"country", Map({{"iso_code", Text(country)},
                         {"is_in_european_union", Boolean(false)},
                         {"names", Map({{"en", Text(country + " name")}})}})},
        {"location", Map({{"latitude", Double(latitude)}, {"longitude", Double(longitude)}})}};
    if (!subdivision.empty())
        members.push_back(
            {"subdivisions", Array({Map({{"names", Map({{"en", Text(subdivision)}})}})})});
    return Map(members);
}

inline std::uint32_t Ip(unsigned a, unsigned b, unsigned c, unsigned d) {
    return (a << 24) | (b << 16) | (c << 8) | d;
}

} // namespace orvanta::mmdbtest
