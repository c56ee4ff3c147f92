// SPDX-License-Identifier: GPL-3.0-or-later
#include "map/TileTemplate.h"

#include <algorithm>
#include <array>

namespace orvanta::map {
namespace {

// Long enough for any tile server's template with a key in its query.
constexpr std::size_t kMaxTemplateLength = 2048;

bool isAlnum(char ch) {
    return (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') || (ch >= '0' && ch <= '9');
}

// Characters a template may hold outside its placeholders: those an
// address may carry unescaped, less quotes, brackets and the fragment
// mark, so the template can never leave the attribute or string it ends
// up in.
bool isPlainAddressChar(char ch) {
    return isAlnum(ch) || std::string_view("-._~/?&=%:+,;@!$*").find(ch) != std::string_view::npos;
}

bool isHostChar(char ch) {
    return isAlnum(ch) || ch == '-' || ch == '.';
}

bool isDecimal(std::string_view text) {
    return !text.empty() && text.size() <= 3 &&
           std::all_of(text.begin(), text.end(), [](char ch) { return ch >= '0' && ch <= '9'; });
}

// 127.0.0.0/8 written as four decimal parts, "localhost" or "[::1]".
bool isLoopbackHost(std::string_view host) {
    if (host == "localhost" || host == "[::1]") {
        return true;
    }
    std::array<std::string_view, 4> parts;
    std::size_t count = 0;
    while (count < parts.size()) {
        const auto dot = host.find('.');
        parts[count++] = host.substr(0, dot);
        if (dot == std::string_view::npos) {
            host = {};
            break;
        }
        host.remove_prefix(dot + 1);
    }
    if (count != 4 || !host.empty() || parts[0] != "127") {
        return false;
    }
    return std::all_of(parts.begin(), parts.end(), [](std::string_view part) {
        return isDecimal(part) && std::stoi(std::string(part)) <= 255;
    });
}

bool isPort(std::string_view port) {
    return !port.empty() && port.size() <= 5 &&
           std::all_of(port.begin(), port.end(), [](char ch) { return ch >= '0' && ch <= '9'; }) &&
           std::stoi(std::string(port)) <= 65535;
}

// Why the authority part ("host" or "host:port") is not acceptable.
std::string hostProblem(std::string_view authority, bool https) {
    std::string_view host = authority;
    std::string_view rest;
    if (authority.starts_with('[')) {
        const auto close = authority.find(']');
        if (close == std::string_view::npos || authority.substr(0, close + 1) != "[::1]") {
            return "its host is not a name or an IPv4 address";
        }
        host = authority.substr(0, close + 1);
        rest = authority.substr(close + 1);
    } else if (const auto colon = authority.find(':'); colon != std::string_view::npos) {
        host = authority.substr(0, colon);
        rest = authority.substr(colon);
    }
    if (!rest.empty() && (rest.front() != ':' || !isPort(rest.substr(1)))) {
        return "its port is not a number up to 65535";
    }
    if (host.empty()) {
        return "it names no host";
    }
    // "{s}" may stand for a subdomain; the rest is an ordinary host name.
    // Built piecewise: GCC 12 warns falsely (-Wrestrict) on replace() at -O3.
    std::string plain;
    if (const auto s = host.find("{s}"); s != std::string_view::npos) {
        plain.append(host.substr(0, s));
        plain += 'a';
        plain.append(host.substr(s + 3));
    } else {
        plain.append(host);
    }
    if (host != "[::1]" && !std::all_of(plain.begin(), plain.end(), isHostChar)) {
        return "its host is not a name or an IPv4 address";
    }
    if (!https && !isLoopbackHost(plain)) {
        return "plain http is only for a tile server on this machine; use https";
    }
    return {};
}

} // namespace

std::string tileTemplateProblem(std::string_view url) {
    if (url.size() > kMaxTemplateLength) {
        return "it is longer than 2048 characters";
    }
    bool https = url.starts_with("https://");
    if (!https && !url.starts_with("http://")) {
        return "it does not start with https://";
    }
    std::string_view rest = url.substr(https ? 8 : 7);
    const auto slash = rest.find('/');
    if (slash == std::string_view::npos) {
        return "it has no path with {z}, {x} and {y}";
    }
    if (std::string problem = hostProblem(rest.substr(0, slash), https); !problem.empty()) {
        return problem;
    }
    std::string_view path = rest.substr(slash);
    int counts[4] = {}; // z, x, y, s
    for (std::size_t i = 0; i < path.size(); ++i) {
        const char ch = path[i];
        if (ch == '{') {
            const auto close = path.find('}', i);
            const std::string_view name = close == std::string_view::npos
                                              ? path.substr(i + 1)
                                              : path.substr(i + 1, close - i - 1);
            const auto known = std::string_view("zxys").find(name.size() == 1 ? name[0] : '?');
            if (close == std::string_view::npos || known == std::string_view::npos) {
                return "it holds a placeholder other than {z}, {x}, {y} and {s}";
            }
            ++counts[known];
            i = close;
        } else if (!isPlainAddressChar(ch)) {
            return "it holds a character that does not belong in an address";
        }
    }
    if (counts[0] != 1 || counts[1] != 1 || counts[2] != 1 || counts[3] > 1) {
        return "it must hold {z}, {x} and {y} once each";
    }
    return {};
}

TileTemplateChoice chooseTileTemplate(const char* given) {
    if (given == nullptr || *given == '\0') {
        return {std::string(kDefaultTileTemplate), {}};
    }
    const std::string problem = tileTemplateProblem(given);
    if (problem.empty()) {
        return {given, {}};
    }
    return {std::string(kDefaultTileTemplate), std::string(kTileTemplateVariable) +
                                                   " is not a usable tile address (" + problem +
                                                   "); using " + std::string(kDefaultTileTemplate)};
}

} // namespace orvanta::map
