// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The map page's question "what lies in my view" and the program's answer,
// as they travel over the program's own site:
//
//     /map/places?s=40.1&w=-75.3&n=41.2&e=-72.9&z=9
//
// The query comes from the page, so it is read as outside input: unknown
// names are ignored, a missing or unreadable number takes the whole world
// (or zoom 0), and the index clamps the rest.
#include "cluster/PlaceClusters.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace orvanta::cluster {

struct ViewRequest {
    Bounds bounds;
    double zoom = 0;
};

// The path the page asks.
inline constexpr const char* kViewPath = "/map/places";

// Reads the query part of the address (without the "?"). Never throws;
// a query longer than kMaxQuery is not read at all.
ViewRequest ParseViewRequest(std::string_view query);
inline constexpr std::size_t kMaxQuery = 512;

// The answer as JSON: {"zoom":z,"total":n,"inView":m,"bounds":[s,w,n,e],
// "elements":[[lat,lng,places,occurrences,row,samePlace,s,w,n,e],...]},
// samePlace 0 or 1 and the last four the element's grid cell. With
// `title`, a single place carries an eleventh entry: the title of its row
// (its address), as a JSON string.
std::string ViewAnswerJson(const ViewAnswer& answer,
                           const std::function<std::string(std::uint32_t row)>& title = {});

} // namespace orvanta::cluster
