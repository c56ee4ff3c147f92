#pragma once
// The script calls that put many places on the open map at once: one call
// per batch of rows rather than one per row, so a hundred thousand rows
// stay a few dozen calls. Each call does nothing on a page without the
// layer of many places (the keyed street map page).

#include <string>
#include <vector>

namespace orvanta::map {

struct PlaceMark {
    double latitude = 0;
    double longitude = 0;
    int row = 0;         // the results row the marker stands for
    std::string address; // its address text, the marker's tooltip
};

// "placesAdd([lat,lng,row,'address',...])", numbers in their shortest exact
// form, so the markers sit exactly where the rows' coordinates say.
std::string placesAddCall(const std::vector<PlaceMark>& marks);
// Fits the map to every place of the layer.
std::string placesFitCall();
// Empties the layer.
std::string placesClearCall();

// The page's request when a marker is clicked: "/map/select?row=N".
inline constexpr const char* kSelectRowPath = "/map/select";

} // namespace orvanta::map
