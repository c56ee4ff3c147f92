// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The street tile address template of the open map. OpenStreetMap's own
// tile server by default; ORVANTA_TILE_URL may name another one without a
// rebuild. A template must be https (plain http only to this machine, for
// a local tile server or a test), with {z}, {x} and {y} once each and
// optionally {s} (a subdomain, a to c); anything else gives the default
// and one line saying why.

#include <string>
#include <string_view>

namespace orvanta::map {

inline constexpr std::string_view kDefaultTileTemplate =
    "https://tile.openstreetmap.org/{z}/{x}/{y}.png";
inline constexpr const char* kTileTemplateVariable = "ORVANTA_TILE_URL";

struct TileTemplateChoice {
    std::string url;     // the template to use
    std::string warning; // one line when the given template was refused, else empty
};

// Why `url` cannot be a tile template, or empty when it can.
std::string tileTemplateProblem(std::string_view url);

// The template for `given` (the variable's value, null when unset; an
// empty value counts as unset).
TileTemplateChoice chooseTileTemplate(const char* given);

} // namespace orvanta::map
