// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TMapLayers: what the main window keeps on the open map beside its single
// marker: the place book the page's geocoder asks (one entry per results
// row), the layer of many places a run fills, and the route layer, which
// the route window draws and "Clear list" empties. Owned by the main
// window; the bridge arrives once the map page starts loading.
//
//     layers.AddPlace(texts, separator);       // a single locate's row
//     layers.AddRunPlaces(std::move(places));  // a run's places, batched
//     layers.Clear();                          // the list was emptied
#include "cluster/PlaceClusters.h"
#include "forms/results/ResultRow.h"
#include "map/PlacesCalls.h"

#include <QObject>
#include <functional>
#include <memory>
#include <string>

class TPlacesFeed;
class TMapScriptBridge;
namespace orvanta::map {
class PlaceBook;
}

class TMapLayers : public QObject {
    Q_OBJECT
public:
    explicit TMapLayers(QObject* parent = nullptr);
    ~TMapLayers() override;

    // The map script bridge: null until the map page starts loading.
    void SetBridge(TMapScriptBridge* bridge) { bridge_ = bridge; }
    TMapScriptBridge* Bridge() const { return bridge_; }
    // Runs `call` once the page can take it; nothing before the bridge exists.
    void Post(const std::string& call);
    const std::shared_ptr<orvanta::map::PlaceBook>& Places() const { return places_; }

    // A results row added, or shown again, for the page's geocoder.
    void AddPlace(const TListItem& texts, QChar decimalSeparator);
    void FocusPlace(const TListItem& texts, QChar decimalSeparator);

    // The layer of many places: the places of a run's rows (rows of the
    // list), clustered off the window's thread; the page asks for its view.
    void AddRunPlaces(std::vector<orvanta::cluster::PlaceIn>&& places);
    // The run is over (done or stopped): the page learns when all its
    // places are in.
    void FlushRunPlaces();
    // Fits the map to every place of the layer once all are in.
    void FitRunPlaces();

    // Empties every layer and the place book: markers still waiting are
    // dropped, and onClearRoute empties the route layer.
    void Clear();
    std::function<void()> onClearRoute;

private:
    TMapScriptBridge* bridge_ = nullptr;
    std::shared_ptr<orvanta::map::PlaceBook> places_;
    TPlacesFeed* runPlaces_;
    bool fitWhenIn_ = false;
};
