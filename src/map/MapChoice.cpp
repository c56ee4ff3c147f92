// SPDX-License-Identifier: GPL-3.0-or-later
#include "map/MapChoice.h"

#include "map/MapPage.h"

#include <cstdlib>
#include <string_view>

namespace orvanta::map {

MapChoice chooseMap(const char* mapVariable, const char* apiKey) {
    const bool haveKey = apiKey != nullptr && *apiKey != '\0';
    MapChoice choice{haveKey ? MapKind::Google : MapKind::Open, {}};
    if (mapVariable == nullptr || *mapVariable == '\0') {
        return choice;
    }
    const std::string_view wanted(mapVariable);
    if (wanted == "open") {
        choice.kind = MapKind::Open;
    } else if (wanted == "google") {
        choice.kind = MapKind::Google;
    } else {
        // The value is not echoed: it may hold anything, control
        // characters included.
        choice.warning = std::string(kMapChoiceVariable) +
                         " must be \"open\" or \"google\"; using the " +
                         (haveKey ? "Google map (a maps API key is set)" : "open map");
    }
    return choice;
}

MapChoice chooseMapFromEnvironment() {
    return chooseMap(std::getenv(kMapChoiceVariable), std::getenv(kMapsApiKeyVariable));
}

} // namespace orvanta::map
