// SPDX-License-Identifier: GPL-3.0-or-later
#include "forms/work/TMapLayers.h"

#include "forms/work/TPlacesFeed.h"
#include "map/PlaceBook.h"
#include "site/MapScriptBridge.h"
#include "site/PlacesResponder.h"

TMapLayers::TMapLayers(QObject* parent)
    : QObject(parent), places_(std::make_shared<orvanta::map::PlaceBook>()),
      runPlaces_(new TPlacesFeed(this)) {
    runPlaces_->onChanged = [this](std::size_t total, bool finished,
                                   orvanta::cluster::Bounds extent) {
        Post(orvanta::map::placesRefreshCall(total, finished, extent.south, extent.west,
                                             extent.north, extent.east));
        if (finished && fitWhenIn_) {
            fitWhenIn_ = false;
            Post(orvanta::map::placesFitCall());
        }
    };
    TPlacesResponder::setPlaces([feed = runPlaces_] { return feed->Snapshot(); });
}

TMapLayers::~TMapLayers() {
    TPlacesResponder::setPlaces({});
}

void TMapLayers::Post(const std::string& call) {
    if (bridge_ != nullptr)
        bridge_->post(call);
}

void TMapLayers::AddPlace(const TListItem& texts, QChar decimalSeparator) {
    places_->Add(texts.Caption.toStdString(), texts.SubItems.value(1).toStdString(),
                 texts.SubItems.value(2).toStdString(), QString(decimalSeparator).toStdString());
}

void TMapLayers::FocusPlace(const TListItem& texts, QChar decimalSeparator) {
    places_->Focus(texts.Caption.toStdString(), texts.SubItems.value(1).toStdString(),
                   texts.SubItems.value(2).toStdString(), QString(decimalSeparator).toStdString());
}

void TMapLayers::AddRunPlaces(std::vector<orvanta::cluster::PlaceIn>&& places) {
    runPlaces_->Add(std::move(places));
}

void TMapLayers::FlushRunPlaces() {
    runPlaces_->Finish();
}

void TMapLayers::FitRunPlaces() {
    // After the last places are in: the extent the page fits to is theirs.
    fitWhenIn_ = true;
}

void TMapLayers::Clear() {
    // Rows are addressed by their index: the places on their way must not
    // arrive once the list is emptied.
    runPlaces_->Clear();
    fitWhenIn_ = false;
    Post(orvanta::map::placesClearCall());
    places_->Clear();
    if (onClearRoute)
        onClearRoute();
}
