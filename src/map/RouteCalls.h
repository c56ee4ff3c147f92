// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The call texts that draw a traced route on the open map: numbered
// markers for the located hops, joined by a line in hop order, all in the
// page's `routeLayer`. Only the open map draws routes; on a page without the
// route functions the calls do nothing rather than fail.
#include <string>
#include <vector>

namespace orvanta::map {

struct RoutePoint {
    int hop = 0;
    double latitude = 0;
    double longitude = 0;
    std::string title; // UTF-8, shown when the pointer rests on the marker
};

// "RouteShow([[hop,lat,lng,'title'],...],fit)": the route drawn anew with
// these points; with `fit` the map shows the whole route.
std::string routeShowCall(const std::vector<RoutePoint>& points, bool fit);

// "RouteClear()": no route on the map.
std::string routeClearCall();

// A double-quoted script string literal for any UTF-8 text: quotes,
// backslashes, control characters and the two script line separators
// escaped, so the text can never end the literal or the call.
std::string scriptStringLiteral(const std::string& text);

} // namespace orvanta::map
