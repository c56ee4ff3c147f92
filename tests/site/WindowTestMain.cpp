// SPDX-License-Identifier: GPL-3.0-or-later
// One process for the window tests of the map and the web whois pages:
// the schemes are registered before the application object.
#include "ScopedCacheHome.h"
#include "WindowTestSupport.h"
#include "site/MapProfile.h"
#include "site/SiteScheme.h"

#include <QApplication>
#include <QWebEngineProfile>
#include <cstdlib>
#include <gtest/gtest.h>

FakeMapsApi& defaultProfileFake() {
    static FakeMapsApi* fake = new FakeMapsApi(TMapProfile::program());
    return *fake;
}

int main(int argc, char** argv) {
    const orvanta::test::ScopedCacheHome cacheHome; // the map profile's folder
    // The keyed page unless a test asks for the open map.
    ::setenv("ORVANTA_MAP", "google", 1);
    TSiteScheme::registerScheme();
    FakeMapsApi::registerScheme();
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
