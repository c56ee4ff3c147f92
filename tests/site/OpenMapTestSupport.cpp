// SPDX-License-Identifier: GPL-3.0-or-later
#include "OpenMapTestSupport.h"

#include "site/MapPageLoader.h"

#include <QEventLoop>
#include <QTimer>
#include <cstdlib>
#include <gtest/gtest.h>

OpenMapPage loadOpenMap(QWebEngineProfile* profile, const std::string& tileTemplate,
                        bool privateMode) {
    ::setenv("ORVANTA_MAP", "open", 1);
    ::setenv("ORVANTA_TILE_URL", tileTemplate.c_str(), 1);
    OpenMapPage map;
    map.page = std::make_unique<RecordingMapPage>(profile);
    map.bridge = std::make_unique<TMapScriptBridge>(map.page.get());
    map.view = std::make_unique<QWebEngineView>();
    map.view->setPage(map.page.get());
    map.view->resize(790, 480);
    map.view->show();
    QEventLoop loop;
    bool ok = false;
    QObject::connect(map.page.get(), &QWebEnginePage::loadFinished, &loop, [&](bool result) {
        ok = result;
        loop.quit();
    });
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    TMapPageLoader::load(map.page.get(), privateMode);
    loop.exec();
    ::unsetenv("ORVANTA_MAP");
    ::unsetenv("ORVANTA_TILE_URL");
    EXPECT_TRUE(ok);
    EXPECT_EQ(js(*map.page, "typeof map + ',' + typeof geocoder"), "object,object");
    return map;
}

QString markerCounts(QWebEnginePage& page) {
    return js(page, "markersArray.filter(function (m) { return map.hasLayer(m); }).length + '/' + "
                    "markersArray.length");
}

bool newestMarkerSitsAt(QWebEnginePage& page, double lat, double lng) {
    const QString script =
        QStringLiteral("(function () { var m = markersArray[markersArray.length - 1];"
                       " if (!m || !map.hasLayer(m)) return false;"
                       " var at = m.getLatLng(); if (at.lat !== %1 || at.lng !== %2) return false;"
                       " var icon = m.getElement().getBoundingClientRect();"
                       " var box = map.getContainer().getBoundingClientRect();"
                       " var p = map.latLngToContainerPoint([%1, %2]);"
                       " return Math.abs(icon.left + icon.width / 2 - box.left - p.x) < 1 &&"
                       "  Math.abs(icon.bottom - box.top - p.y) < 1; })()")
            .arg(lat, 0, 'g', 17)
            .arg(lng, 0, 'g', 17);
    return evalJs(page, script).toBool();
}

std::string squareWorld(double lat, double lng) {
    const auto ring = QStringLiteral("[[%1,%2],[%3,%2],[%3,%4],[%1,%4],[%1,%2]]")
                          .arg(lng - 5)
                          .arg(lat - 5)
                          .arg(lng + 5)
                          .arg(lat + 5);
    return QStringLiteral("{\"type\":\"FeatureCollection\",\"features\":[{\"type\":\"Feature\","
                          "\"properties\":{\"name\":\"Square\"},\"geometry\":{\"type\":"
                          "\"Polygon\",\"coordinates\":[%1]}}]}")
        .arg(ring)
        .toStdString();
}
