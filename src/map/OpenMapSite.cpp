// SPDX-License-Identifier: GPL-3.0-or-later
#include "map/OpenMapSite.h"

#include "net/WebWhoisAddress.h"

#include <array>
#include <charconv>

namespace orvanta::map {
namespace {

std::string shortestNumber(double value) {
    std::array<char, 32> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    return std::string(buffer.data(), result.ptr);
}

} // namespace

std::string openMapAddress(std::string_view tileTemplate, bool privateMode, bool keyed) {
    std::string address = "orvanta://site";
    address += kOpenMapPath;
    address += "?tiles=";
    address += net::PercentEncodeQueryValue(tileTemplate);
    if (privateMode) {
        address += "&private=1";
    }
    if (keyed) {
        address += "&keyed=1";
    }
    return address;
}

std::string placeAnswer(const std::optional<Place>& place) {
    if (!place) {
        return R"({"status":"ZERO_RESULTS","results":[]})";
    }
    return R"({"status":"OK","results":[{"lat":)" + shortestNumber(place->latitude) + R"(,"lng":)" +
           shortestNumber(place->longitude) + "}]}";
}

} // namespace orvanta::map
