// SPDX-License-Identifier: GPL-3.0-or-later
#include "forms/work/TMapLayers.h"

#include "forms/work/TBulkPlaces.h"
#include "map/PlaceBook.h"
#include "site/MapScriptBridge.h"

TMapLayers::TMapLayers(QObject* parent)
    : QObject(parent), places_(std::make_shared<orvanta::map::PlaceBook>()),
      runPlaces_(new TBulkPlaces([this](const std::string& call) { Post(call); }, this)) {}

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

void TMapLayers::AddRunPlaces(std::vector<orvanta::map::PlaceMark>&& marks) {
    if (!marks.empty())
        runPlaces_->Add(std::move(marks));
}

void TMapLayers::FlushRunPlaces() {
    runPlaces_->Flush();
}

void TMapLayers::FitRunPlaces() {
    Post(orvanta::map::placesFitCall());
}

void TMapLayers::Clear() {
    // Rows are addressed by their index: the markers that wait must not
    // arrive once the list is emptied.
    runPlaces_->Drop();
    Post(orvanta::map::placesClearCall());
    places_->Clear();
    if (onClearRoute)
        onClearRoute();
}
