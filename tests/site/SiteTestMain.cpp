// SPDX-License-Identifier: GPL-3.0-or-later
// One process for every browser-engine test of the site component: the
// schemes are registered before the application object, as they must be.
#include "FakeMapsApi.h"
#include "site/SiteScheme.h"

#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    TSiteScheme::registerScheme();
    FakeMapsApi::registerScheme();
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
