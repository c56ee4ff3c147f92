// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Which map page the program loads: the open map (Leaflet, street tiles,
// an offline world map, places answered by the program) unless the user
// brings a maps API key, which selects the keyed street map page.
// ORVANTA_MAP=open or ORVANTA_MAP=google chooses explicitly.

#include <string>

namespace orvanta::map {

enum class MapKind { Open, Google };

inline constexpr const char* kMapChoiceVariable = "ORVANTA_MAP";

struct MapChoice {
    MapKind kind = MapKind::Open;
    std::string warning; // one line when ORVANTA_MAP held an unknown value
};

// From the two variables' values (null when unset; empty counts as unset).
MapChoice chooseMap(const char* mapVariable, const char* apiKey);

// From the environment.
MapChoice chooseMapFromEnvironment();

} // namespace orvanta::map
