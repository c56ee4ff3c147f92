// One process for the window tests of the map and the web whois pages:
// the schemes are registered before the application object.
#include "WindowTestSupport.h"
#include "site/SiteScheme.h"

#include <QApplication>
#include <QWebEngineProfile>
#include <gtest/gtest.h>

FakeMapsApi& defaultProfileFake() {
    static FakeMapsApi* fake = new FakeMapsApi(QWebEngineProfile::defaultProfile());
    return *fake;
}

int main(int argc, char** argv) {
    TSiteScheme::registerScheme();
    FakeMapsApi::registerScheme();
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
