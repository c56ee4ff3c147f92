// SPDX-License-Identifier: GPL-3.0-or-later
#include "map/PlacesCalls.h"

#include "map/ScriptCalls.h"

#include <array>
#include <charconv>
#include <cmath>

namespace orvanta::map {
namespace {

void appendNumber(std::string& text, double value) {
    std::array<char, 32> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    text.append(buffer.data(), result.ptr);
}

std::string ifPlacesLayer(const std::string& call) {
    return "if (typeof placesAdd === 'function') { " + call + "; }";
}

} // namespace

std::string placesAddCall(const std::vector<PlaceMark>& marks) {
    std::string call = "placesAdd([";
    call.reserve(marks.size() * 48 + 16);
    bool first = true;
    for (const PlaceMark& mark : marks) {
        if (!first) {
            call += ',';
        }
        first = false;
        appendNumber(call, mark.latitude);
        call += ',';
        appendNumber(call, mark.longitude);
        call += ',';
        call += std::to_string(mark.row);
        call += ',';
        call += addressLiteral(mark.address);
    }
    call += "])";
    return ifPlacesLayer(call);
}

std::string placesRefreshCall(std::size_t total, bool finished, double south, double west,
                              double north, double east) {
    std::string call = "placesRefresh(" + std::to_string(total) + (finished ? ",true" : ",false");
    for (const double value : {south, west, north, east}) {
        call += ',';
        appendNumber(call, total > 0 && std::isfinite(value) ? value : 0.0);
    }
    call += ')';
    return ifPlacesLayer(call);
}

std::string placesFitCall() {
    return ifPlacesLayer("placesFit()");
}

std::string placesClearCall() {
    return ifPlacesLayer("placesClear()");
}

} // namespace orvanta::map
