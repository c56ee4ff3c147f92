// SPDX-License-Identifier: GPL-3.0-or-later
// The program's own site: what it serves, and that the map page's marker
// icon really loads from it.
#include "MapTestSupport.h"

#include <QWebEngineView>
#include <gtest/gtest.h>

namespace {

// Loads an image into a blank page and tells its natural width (0 when it
// did not load).
QString imageWidth(QWebEnginePage& page, const QString& url) {
    js(page, QString("window.probe = new Image(); probe.src = '%1'").arg(url));
    if (!waitForJs(page, "probe.complete")) {
        return "pending";
    }
    return js(page, "String(probe.naturalWidth)");
}

TEST(SiteScheme, ServesTheMarkerIconAndNothingElse) {
    QWebEnginePage page(&testProfile());
    ASSERT_TRUE(loadHtml(page, "<html><body></body></html>"));
    struct Row {
        const char* name;
        const char* url;
        const char* width;
    };
    const Row rows[] = {
        {"marker icon", "orvanta://site/maker/1427436750_My-Network-Places-icon.png", "32"},
        {"missing file", "orvanta://site/maker/none.png", "0"},
        {"other host", "orvanta://elsewhere/maker/1427436750_My-Network-Places-icon.png", "0"},
        {"climbing out", "orvanta://site/maker/../maker/1427436750_My-Network-Places-icon.png",
         "32"}, // the browser resolves ".." itself, staying inside the site
        {"folder", "orvanta://site/maker/", "0"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(imageWidth(page, row.url), row.width) << row.name;
    }
}

TEST(SiteScheme, MarkerIconShowsOnTheMapInAView) {
    auto map = loadedMap();
    QWebEngineView view;
    view.setPage(map.page.get());
    view.resize(400, 300);
    view.show();
    map.bridge->run("GotoLatLng(25.767314,-80.135694)");
    ASSERT_TRUE(waitForJs(*map.page, "fake.markers[0].img.complete"));
    EXPECT_EQ(js(*map.page, "String(fake.markers[0].img.naturalWidth)"), "32");
    // The map element gets the whole browser area.
    EXPECT_EQ(js(*map.page, "var r = document.getElementById('map_canvas')"
                            ".getBoundingClientRect(); r.width + 'x' + r.height"),
              "400x300");
    view.setPage(nullptr);
}

} // namespace
