// SPDX-License-Identifier: GPL-3.0-or-later
// One process for all window tests: a QApplication offscreen, then every
// GoogleTest case.
#include "ScopedCacheHome.h"
#include "forms/fMain.h"
#include "forms/support/ProgramFonts.h"
#include "site/SiteScheme.h"

#include <QApplication>
#include <cstdlib>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    const orvanta::test::ScopedCacheHome cacheHome; // the map profile's folder
    // No street tiles from the network: a loopback port nothing listens on.
    ::setenv("ORVANTA_TILE_URL", "http://127.0.0.1:9/{z}/{x}/{y}.png", 1);
    TSiteScheme::registerScheme(); // the map's own site, before the application object
    QApplication app(argc, argv);
    LoadProgramFonts();
    const int result = RUN_ALL_TESTS();
    delete frmMain; // its browser page goes before the engine's profile
    return result;
}
