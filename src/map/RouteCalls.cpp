// SPDX-License-Identifier: GPL-3.0-or-later
#include "map/RouteCalls.h"

#include <cmath>
#include <cstdio>

namespace orvanta::map {
namespace {

// Guarded so that a page without the route script (the keyed street map)
// takes the call without an error.
std::string Guarded(const std::string& name, const std::string& call) {
    return "(typeof " + name + " === 'function') && " + call;
}

std::string Coordinate(double value) {
    if (!std::isfinite(value) || std::fabs(value) > 1e6)
        return "0";
    char text[32];
    // "%.6f" is locale-independent only in the C locale; built by hand it
    // always takes a "." whatever the program's locale is.
    const long long micro = std::llround(value * 1e6);
    const long long whole = micro / 1000000;
    const long long part = std::llabs(micro % 1000000);
    std::snprintf(text, sizeof text, "%s%lld.%06lld", micro < 0 && whole == 0 ? "-" : "", whole,
                  part);
    return text;
}

} // namespace

std::string scriptStringLiteral(const std::string& text) {
    std::string literal = "\"";
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto ch = static_cast<unsigned char>(text[i]);
        if (ch == '"' || ch == '\\') {
            literal += '\\';
            literal += static_cast<char>(ch);
        } else if (ch < 0x20 || ch == 0x7F) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\x%02x", ch);
            literal += escape;
        } else if (ch == 0xE2 && i + 2 < text.size() && text[i + 1] == '\x80' &&
                   (text[i + 2] == '\xA8' || text[i + 2] == '\xA9')) {
            // U+2028 and U+2029 end a line inside older script literals.
            literal += text[i + 2] == '\xA8' ? "\\u2028" : "\\u2029";
            i += 2;
        } else {
            literal += static_cast<char>(ch);
        }
    }
    return literal + '"';
}

std::string routeShowCall(const std::vector<RoutePoint>& points, bool fit) {
    std::string list = "[";
    for (const RoutePoint& point : points) {
        if (list.size() > 1)
            list += ',';
        list += '[' + std::to_string(point.hop) + ',' + Coordinate(point.latitude) + ',' +
                Coordinate(point.longitude) + ',' + scriptStringLiteral(point.title) + ']';
    }
    list += ']';
    return Guarded("RouteShow", "RouteShow(" + list + (fit ? ",true)" : ",false)"));
}

std::string routeClearCall() {
    return Guarded("RouteClear", "RouteClear()");
}

} // namespace orvanta::map
