// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Answers the open map's two data requests on the program's own site:
// "/map/place?address=..." from the place book the results list keeps
// (nothing is asked of any outside service), and "/map/world.geojson"
// from the world map file in the current directory, beside the database.
// UI thread only, like every request of the site.

#include <QString>
#include <memory>

class QUrl;
class QWebEngineUrlRequestJob;

namespace orvanta::map {
class PlaceBook;
}

class TMapDataResponder {
public:
    static bool isMapDataPath(const QString& path);
    static void respond(QWebEngineUrlRequestJob* job, const QUrl& url);

    // The book places are answered from; none (or one that is gone)
    // answers every address with "not found".
    static void setPlaceBook(std::weak_ptr<const orvanta::map::PlaceBook> book);
    // The world map file; relative names are taken in the current
    // directory when asked for. Default "world.geojson".
    static void setWorldFile(const QString& fileName);
};
