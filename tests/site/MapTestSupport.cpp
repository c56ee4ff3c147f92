// SPDX-License-Identifier: GPL-3.0-or-later
#include "MapTestSupport.h"

#include "map/MapPage.h"
#include "site/SiteScheme.h"

#include <gtest/gtest.h>

QWebEngineProfile& testProfile() {
    static QWebEngineProfile* profile = [] {
        auto* p = new QWebEngineProfile(); // off the record: nothing written to disk
        TSiteScheme::installOn(p);
        return p;
    }();
    return *profile;
}

FakeMapsApi& fakeMaps() {
    static FakeMapsApi* api = new FakeMapsApi(&testProfile());
    return *api;
}

LoadedMap loadedMap(FakeMapsApi::Mode mode) {
    fakeMaps().setMode(mode);
    LoadedMap map;
    map.page = std::make_unique<RecordingMapPage>();
    map.bridge = std::make_unique<TMapScriptBridge>(map.page.get());
    EXPECT_TRUE(loadHtml(*map.page, QString::fromStdString(orvanta::map::mapPageText())));
    EXPECT_EQ(map.bridge->state(), TMapScriptBridge::State::Ready);
    return map;
}

QString js(QWebEnginePage& page, const QString& script) {
    return evalJs(page, script).toString();
}
