// SPDX-License-Identifier: GPL-3.0-or-later
#include "cluster/ViewRequest.h"

#include <array>
#include <charconv>
#include <cmath>
#include <optional>

namespace orvanta::cluster {
namespace {

std::optional<double> Number(std::string_view text) {
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

void AppendNumber(std::string& text, double value) {
    if (!std::isfinite(value))
        value = 0;
    std::array<char, 32> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    text.append(buffer.data(), result.ptr);
}

void AppendBounds(std::string& text, const Bounds& b) {
    AppendNumber(text, b.south);
    text += ',';
    AppendNumber(text, b.west);
    text += ',';
    AppendNumber(text, b.north);
    text += ',';
    AppendNumber(text, b.east);
}

void AppendString(std::string& json, std::string_view text) {
    static constexpr char kHex[] = "0123456789abcdef";
    json += '"';
    for (const char ch : text) {
        const auto byte = static_cast<unsigned char>(ch);
        if (ch == '"' || ch == '\\') {
            json += '\\';
            json += ch;
        } else if (byte < 0x20 || byte >= 0x7f) {
            // Anything but plain ASCII as an escape: an address title is
            // ASCII, and a stray byte must not break the answer's UTF-8.
            json += "\\u00";
            json += kHex[byte >> 4];
            json += kHex[byte & 15];
        } else {
            json += ch;
        }
    }
    json += '"';
}

} // namespace

ViewRequest ParseViewRequest(std::string_view query) {
    ViewRequest request;
    if (query.size() > kMaxQuery)
        return request;
    std::optional<double> s, w, n, e;
    while (!query.empty()) {
        const std::size_t amp = query.find('&');
        const std::string_view pair = query.substr(0, amp);
        query = amp == std::string_view::npos ? std::string_view() : query.substr(amp + 1);
        const std::size_t eq = pair.find('=');
        if (eq == std::string_view::npos)
            continue;
        const std::string_view name = pair.substr(0, eq);
        const std::optional<double> value = Number(pair.substr(eq + 1));
        if (name == "s")
            s = value;
        else if (name == "w")
            w = value;
        else if (name == "n")
            n = value;
        else if (name == "e")
            e = value;
        else if (name == "z" && value)
            request.zoom = *value;
    }
    // A side without its opposite is no view: both or the whole world.
    if (s && n) {
        request.bounds.south = *s;
        request.bounds.north = *n;
    }
    if (w && e) {
        request.bounds.west = *w;
        request.bounds.east = *e;
    }
    return request;
}

std::string ViewAnswerJson(const ViewAnswer& answer,
                           const std::function<std::string(std::uint32_t row)>& title) {
    std::string json;
    json.reserve(96 + answer.elements.size() * 120);
    json += "{\"zoom\":";
    json += std::to_string(answer.zoom);
    json += ",\"total\":";
    json += std::to_string(answer.total);
    json += ",\"inView\":";
    json += std::to_string(answer.inView);
    json += ",\"bounds\":[";
    AppendBounds(json, answer.bounds);
    json += "],\"elements\":[";
    bool first = true;
    for (const Element& e : answer.elements) {
        if (!first)
            json += ',';
        first = false;
        json += '[';
        AppendNumber(json, e.latitude);
        json += ',';
        AppendNumber(json, e.longitude);
        json += ',';
        json += std::to_string(e.places);
        json += ',';
        json += std::to_string(e.occurrences);
        json += ',';
        json += std::to_string(e.row);
        json += e.samePlace ? ",1," : ",0,";
        AppendBounds(json, e.cell);
        if (title && e.places == 1) {
            json += ',';
            AppendString(json, title(e.row));
        }
        json += ']';
    }
    json += "]}";
    return json;
}

} // namespace orvanta::cluster
