// SPDX-License-Identifier: GPL-3.0-or-later
#include "map/PlaceBook.h"

#include "map/ScriptCalls.h"

#include <charconv>
#include <cmath>

namespace orvanta::map {
namespace {

bool isDigit(char ch) {
    return ch >= '0' && ch <= '9';
}

// Length of the run of digits at the start of `text`.
std::size_t digitsAt(std::string_view text) {
    std::size_t count = 0;
    while (count < text.size() && isDigit(text[count])) {
        ++count;
    }
    return count;
}

// Length of the decimal separator at the start of `text`, 0 when none.
std::size_t separatorAt(std::string_view text, std::string_view decimalSeparator) {
    if (!decimalSeparator.empty() && text.starts_with(decimalSeparator)) {
        return decimalSeparator.size();
    }
    return !text.empty() && (text.front() == '.' || text.front() == ',') ? 1 : 0;
}

} // namespace

std::optional<double> PlaceBook::ParseCoordinate(std::string_view text,
                                                 std::string_view decimalSeparator, double limit) {
    // Rebuilt in the C form that from_chars reads, whatever the separator.
    std::string plain;
    std::size_t at = 0;
    if (at < text.size() && text[at] == '-') {
        plain += '-';
        ++at;
    }
    const std::size_t whole = digitsAt(text.substr(at));
    if (whole == 0) {
        return std::nullopt;
    }
    plain += text.substr(at, whole);
    at += whole;
    if (const std::size_t separator = separatorAt(text.substr(at), decimalSeparator)) {
        at += separator;
        const std::size_t fraction = digitsAt(text.substr(at));
        if (fraction == 0) {
            return std::nullopt;
        }
        plain += '.';
        plain += text.substr(at, fraction);
        at += fraction;
    }
    if (at != text.size()) {
        return std::nullopt;
    }
    double value = 0;
    const auto [end, error] = std::from_chars(plain.data(), plain.data() + plain.size(), value);
    if (error != std::errc() || end != plain.data() + plain.size() || !std::isfinite(value) ||
        std::fabs(value) > limit) {
        return std::nullopt;
    }
    return value;
}

PlaceBook::Row PlaceBook::MakeRow(std::string_view line, std::string_view latitude,
                                  std::string_view longitude, std::string_view decimalSeparator) {
    Row row{cleanAddress(line), std::nullopt};
    const auto lat = ParseCoordinate(latitude, decimalSeparator, 90);
    const auto lng = ParseCoordinate(longitude, decimalSeparator, 180);
    if (lat && lng) {
        row.place = Place{*lat, *lng};
    }
    return row;
}

void PlaceBook::Add(std::string_view line, std::string_view latitude, std::string_view longitude,
                    std::string_view decimalSeparator) {
    Row row = MakeRow(line, latitude, longitude, decimalSeparator);
    FLatest[row.line] = row.place;
    FCurrent = std::move(row);
}

void PlaceBook::Focus(std::string_view line, std::string_view latitude, std::string_view longitude,
                      std::string_view decimalSeparator) {
    FCurrent = MakeRow(line, latitude, longitude, decimalSeparator);
}

void PlaceBook::Clear() {
    FLatest.clear();
    FCurrent.reset();
}

std::optional<Place> PlaceBook::Find(std::string_view address) const {
    if (FCurrent && FCurrent->line == address) {
        return FCurrent->place;
    }
    const auto latest = FLatest.find(std::string(address));
    if (latest == FLatest.end()) {
        return std::nullopt;
    }
    return latest->second;
}

} // namespace orvanta::map
