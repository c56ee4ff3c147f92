// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The map page: one line of 7-bit ASCII HTML that loads the maps API, shows
// a street map and offers the global functions the program calls
// (codeAddress, GotoLatLng, ClearMarkers and the layer switches).

#include <string>
#include <string_view>

namespace orvanta::map {

// The program's own site, answered inside its browser views (see the site
// component); the marker icon lives there so that markers never depend on
// a web site that may not exist.
inline constexpr std::string_view kSiteScheme = "orvanta";
inline constexpr std::string_view kSiteOrigin = "orvanta://site";
inline constexpr std::string_view kMarkerIconPath = "/maker/1427436750_My-Network-Places-icon.png";

// The maps API loader, exactly as the page asks for it without a key.
inline constexpr std::string_view kMapsLoaderUrl = "https://maps.googleapis.com/maps/api/js";

// Environment variable holding an optional maps API key.
inline constexpr const char* kMapsApiKeyVariable = "ORVANTA_MAPS_API_KEY";

// The page text. An empty key gives the page with the loader query
// "sensor=true" alone; a key is appended percent-encoded as "&key=...".
std::string mapPageText(std::string_view apiKey = {});

// The page text with the key read from ORVANTA_MAPS_API_KEY (if set and
// not empty).
std::string mapPageTextFromEnvironment();

} // namespace orvanta::map
