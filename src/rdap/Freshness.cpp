// SPDX-License-Identifier: GPL-3.0-or-later
#include "rdap/Freshness.h"

#include <algorithm>
#include <charconv>
#include <ctime>
#include <string>

namespace orvanta::rdap {
namespace {

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
        text.remove_suffix(1);
    }
    return text;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return (x | 0x20) == (y | 0x20);
           });
}

std::optional<long long> Seconds(std::string_view text) {
    text = Trim(text);
    if (!text.empty() && text.front() == '"' && text.size() >= 2 && text.back() == '"') {
        text = text.substr(1, text.size() - 2);
    }
    long long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error == std::errc::result_out_of_range) {
        return 1LL << 40; // "forever", cut to the maximum below
    }
    if (error != std::errc() || end != text.data() + text.size() || value < 0) {
        return std::nullopt;
    }
    return value;
}

} // namespace

std::optional<std::chrono::system_clock::time_point> ParseHttpDate(std::string_view text) {
    const std::string copy(Trim(text));
    std::tm parts{};
    const char* end = strptime(copy.c_str(), "%a, %d %b %Y %H:%M:%S GMT", &parts);
    // Clock arithmetic works in nanoseconds, which end in 2262: dates out
    // of this range are treated as malformed.
    if (end == nullptr || *end != '\0' || parts.tm_year < 70 || parts.tm_year > 200) {
        return std::nullopt;
    }
    const std::time_t seconds = timegm(&parts);
    if (seconds == static_cast<std::time_t>(-1)) {
        return std::nullopt;
    }
    return std::chrono::system_clock::from_time_t(seconds);
}

Freshness Freshness::Of(const http::Response& response, std::chrono::system_clock::time_point now,
                        std::chrono::seconds maximum) {
    using std::chrono::seconds;
    Freshness freshness;
    std::optional<long long> lifetime;
    const std::string control = response.Header("cache-control");
    std::string_view rest = control;
    while (!rest.empty()) {
        const auto comma = rest.find(',');
        const std::string_view directive = Trim(rest.substr(0, comma));
        rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
        const auto equals = directive.find('=');
        const std::string_view name = Trim(directive.substr(0, equals));
        if (EqualsNoCase(name, "no-store")) {
            freshness.store = false;
            lifetime = 0;
        } else if (EqualsNoCase(name, "no-cache")) {
            lifetime = 0;
        } else if (EqualsNoCase(name, "max-age") && equals != std::string_view::npos && !lifetime) {
            lifetime = Seconds(directive.substr(equals + 1)).value_or(0);
        }
    }
    if (!lifetime) {
        const std::string expires = response.Header("expires");
        if (!expires.empty()) {
            // A malformed Expires means "already expired".
            const auto until = ParseHttpDate(expires);
            const auto date = ParseHttpDate(response.Header("date")).value_or(now);
            lifetime = until ? std::chrono::duration_cast<seconds>(*until - date).count() : 0;
        }
    }
    long long value = lifetime.value_or(maximum.count());
    value -= Seconds(response.Header("age")).value_or(0);
    freshness.lifetime = seconds(std::clamp<long long>(value, 0, maximum.count()));
    return freshness;
}

} // namespace orvanta::rdap
