// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Answers the open map's requests about its layer of many places on the
// program's own site: "/map/places?s=&w=&n=&e=&z=", the clusters and
// single places inside the page's view, and "/map/select?row=N", a single
// place was clicked, by handing the row to the results list. UI thread
// only, like every request of the site.

#include "cluster/PlaceClusters.h"

#include <QString>
#include <functional>
#include <memory>
#include <string>

class QUrl;
class QWebEngineUrlRequestJob;

class TPlacesResponder {
public:
    static bool isPlacesPath(const QString& path);
    static void respond(QWebEngineUrlRequestJob* job, const QUrl& url);
    // Who is told of a clicked row; none ignores the clicks.
    static void setRowSelector(std::function<void(int)> selector);
    // The places the view requests are answered from; none answers an
    // empty layer.
    static void
    setPlaces(std::function<std::shared_ptr<const orvanta::cluster::PlaceIndex>()> places);
    // A single place's title (its address) by row; none leaves it out.
    static void setRowTitle(std::function<std::string(std::uint32_t)> title);
};
