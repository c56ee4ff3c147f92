// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A map page loaded in a real browser engine with the fake maps API, for
// the page, bridge and command tests.

#include "FakeMapsApi.h"
#include "site/MapScriptBridge.h"
#include "site/MapWebPage.h"

#include <QStringList>
#include <QWebEngineProfile>
#include <memory>

// The profile every test of this binary uses, with the site scheme and
// the fake maps API installed once.
QWebEngineProfile& testProfile();
FakeMapsApi& fakeMaps();

// A map page whose alerts are recorded instead of shown.
class RecordingMapPage : public TMapWebPage {
public:
    explicit RecordingMapPage(QWebEngineProfile* profile = &testProfile())
        : TMapWebPage(profile, nullptr) {}
    QStringList alerts;

protected:
    void javaScriptAlert(const QUrl&, const QString& msg) override { alerts << msg; }
};

// A fresh page with its script bridge, holding the map page text, loaded,
// with the fake API serving (or failing, as `mode` says).
struct LoadedMap {
    std::unique_ptr<RecordingMapPage> page;
    std::unique_ptr<TMapScriptBridge> bridge;
};
LoadedMap loadedMap(FakeMapsApi::Mode mode = FakeMapsApi::Mode::Serve);

// Evaluates a script and returns its value as text ("" for none).
QString js(QWebEnginePage& page, const QString& script);
