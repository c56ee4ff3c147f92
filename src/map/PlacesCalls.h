// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The script calls about the open map's layer of many places. The program
// keeps the places and their clusters; the page asks its own site for what
// lies in its view (cluster/ViewRequest.h) and is only told when to ask
// again. placesAdd hands markers to a page layer directly, for a feed that
// keeps no clusters of its own. Each call does nothing on a page without
// the layer of many places (the keyed street map page).

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace orvanta::map {

struct PlaceMark {
    double latitude = 0;
    double longitude = 0;
    int row = 0;                   // the results row the marker stands for
    std::string address;           // its address text, the marker's tooltip
    std::uint64_t occurrences = 1; // how often the address occurred
};

// "placesAdd([lat,lng,row,'address',...])", numbers in their shortest exact
// form, so the markers sit exactly where the rows' coordinates say.
std::string placesAddCall(const std::vector<PlaceMark>& marks);
// The layer of many places now represents `total` located places within
// `extent` (south, west, north, east; ignored when total is 0); the page
// fetches its view again. `finished`: the run is over and no more come.
std::string placesRefreshCall(std::size_t total, bool finished, double south, double west,
                              double north, double east);
// Fits the map to every place of the layer.
std::string placesFitCall();
// Empties the layer.
std::string placesClearCall();

// The page's request when a marker is clicked: "/map/select?row=N".
inline constexpr const char* kSelectRowPath = "/map/select";

} // namespace orvanta::map
