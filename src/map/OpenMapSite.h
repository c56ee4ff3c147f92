// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Where the open map's page and data live on the program's own site, and
// the texts the site answers the page with. The page is addressed with its
// tile template in its query, so the page text itself is a fixed resource.

#include "map/PlaceBook.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace orvanta::map {

inline constexpr std::string_view kOpenMapPath = "/map/open.html";
// The page's geocoder asks here: "?address=<text>".
inline constexpr std::string_view kPlacePath = "/map/place";
// The world base map, read from this file in the current directory (beside
// the database file), at most kMaxWorldFileBytes.
inline constexpr std::string_view kWorldPath = "/map/world.geojson";
inline constexpr std::string_view kWorldFileName = "world.geojson";
inline constexpr std::uint64_t kMaxWorldFileBytes = 64u << 20;

// "orvanta://site/map/open.html?tiles=<template, percent-encoded>", with
// "&private=1" when the page must start without street tiles, and
// "&keyed=1" when it stands in for the keyed page private mode keeps out.
std::string openMapAddress(std::string_view tileTemplate, bool privateMode = false,
                           bool keyed = false);

// The geocoder's answer as JSON, in the shape the page hands to its
// callback: {"status":"OK","results":[{"lat":..,"lng":..}]} or
// {"status":"ZERO_RESULTS","results":[]}. Numbers are written in their
// shortest exact form, the form the page's script prints them in.
std::string placeAnswer(const std::optional<Place>& place);

} // namespace orvanta::map
