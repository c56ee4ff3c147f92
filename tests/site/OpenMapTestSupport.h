// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The open map page loaded the way the program loads it (the page loader
// reading ORVANTA_MAP and ORVANTA_TILE_URL), in a given profile, with its
// script bridge; and the small helpers its tests share.

#include "MapTestSupport.h"

#include <QString>
#include <QWebEngineView>
#include <memory>
#include <string>

// The page is shown in a view of the main window's map size, so the map
// has a size to draw in.
struct OpenMapPage {
    std::unique_ptr<RecordingMapPage> page;
    std::unique_ptr<TMapScriptBridge> bridge;
    std::unique_ptr<QWebEngineView> view;
};

// Loads the open map with `tileTemplate` into a new page of `profile` and
// waits (bounded) for the load; the page's initialize has run after it.
// `privateMode` starts the page without street tiles, as the program does.
OpenMapPage loadOpenMap(QWebEngineProfile* profile, const std::string& tileTemplate,
                        bool privateMode = false);

// Markers on the map now, and markers ever made.
QString markerCounts(QWebEnginePage& page);

// True when the newest marker's icon tip sits on the map's point for
// (lat, lng), to the pixel, and the marker holds exactly that point.
bool newestMarkerSitsAt(QWebEnginePage& page, double lat, double lng);

// A GeoJSON world of one square country, 10 degrees a side, centred on
// (lat, lng).
std::string squareWorld(double lat, double lng);
