// SPDX-License-Identifier: GPL-3.0-or-later
// The open map page in the browser engine, offline (the test profile lets
// no request leave the machine): the same functions and effects as the
// keyed page, places answered by the program's place book, and the world
// map drawn from a small file the test writes.
#include "OpenMapTestSupport.h"
#include "TempFolder.h"
#include "map/PlaceBook.h"
#include "map/ScriptCalls.h"
#include "site/MapDataResponder.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>
#include <sys/stat.h>

namespace {

using orvanta::map::PlaceBook;

// Tiles from a loopback port nothing listens on: they fail at once.
const char kDeadTiles[] = "http://127.0.0.1:9/{z}/{x}/{y}.png";

class OpenMap : public ::testing::Test {
protected:
    void SetUp() override {
        book = std::make_shared<PlaceBook>();
        TMapDataResponder::setPlaceBook(book);
        TMapDataResponder::setWorldFile(QString::fromStdString(folder.File("world.geojson")));
    }
    void TearDown() override { TMapDataResponder::setWorldFile(QStringLiteral("world.geojson")); }
    void open() {
        auto map = loadOpenMap(&testProfile(), kDeadTiles);
        view.reset();
        page = std::move(map.page);
        bridge = std::move(map.bridge);
        view = std::move(map.view);
    }
    QString js(const QString& script) { return ::js(*page, script); }
    void locate(const std::string& line, double lat, double lng) {
        book->Add(line, QString::number(lat, 'g', 15).toStdString(),
                  QString::number(lng, 'g', 15).toStdString(), ".");
        showAddress(line);
    }
    // The address command as the program sends it; waits for its answer.
    void showAddress(const std::string& line) {
        const int before = js("markersArray.length").toInt();
        const int alerts = static_cast<int>(page->alerts.size());
        bridge->run(orvanta::map::clearMarkersCall());
        bridge->run(orvanta::map::codeAddressCall(line));
        ASSERT_TRUE(waitForJs(*page, QStringLiteral("markersArray.length > %1").arg(before)) ||
                    page->alerts.size() > alerts);
    }
    // The point shows in the middle of the map, to the pixel (the map
    // keeps its view on whole pixels).
    bool centredOn(double lat, double lng) {
        return evalJs(*page,
                      QStringLiteral("(function () { var p = map.latLngToContainerPoint([%1, "
                                     "%2]); var size = map.getSize(); return Math.abs(p.x "
                                     "- size.x / 2) <= 1 && Math.abs(p.y - size.y / 2) <= 1; "
                                     "})()")
                          .arg(lat)
                          .arg(lng))
            .toBool();
    }
    bool waitForAlerts(int count) {
        QElapsedTimer clock;
        clock.start();
        while (page->alerts.size() < count && clock.elapsed() < 20000) {
            QEventLoop loop;
            QTimer::singleShot(20, &loop, &QEventLoop::quit);
            loop.exec();
        }
        return page->alerts.size() >= count;
    }

    orvanta::test::TempFolder folder;
    std::shared_ptr<PlaceBook> book;
    std::unique_ptr<RecordingMapPage> page;
    std::unique_ptr<TMapScriptBridge> bridge;
    std::unique_ptr<QWebEngineView> view;
};

TEST_F(OpenMap, OfflineStartShowsAContinentAndSaysSo) {
    open();
    EXPECT_EQ(markerCounts(*page), "0/0");
    ASSERT_TRUE(waitForJs(*page, "openMap.offline"));
    EXPECT_EQ(js("map.getZoom()"), "4");
    EXPECT_EQ(js("map.getCenter().lat + ',' + map.getCenter().lng"), "40.714776,-74.019213");
    EXPECT_EQ(js("document.querySelector('.offline-note').textContent"),
              "Street tiles unavailable: offline world map");
    EXPECT_TRUE(js("map.attributionControl.getContainer().textContent")
                    .contains(QStringLiteral("\u00a9 OpenStreetMap contributors")));
    // No world file: nothing drawn, nothing said.
    ASSERT_TRUE(waitForJs(*page, "mapTimes.worldMissing > 0"));
    EXPECT_EQ(js("String(map.getPane('world').querySelector('canvas'))"), "null");
    EXPECT_TRUE(page->alerts.isEmpty());
}

TEST_F(OpenMap, LocatedRowGetsOneMarkerAtItsCoordinates) {
    open();
    locate("Mountain View, CA, United States", 37.386, -122.0838);
    EXPECT_EQ(markerCounts(*page), "1/1");
    EXPECT_TRUE(newestMarkerSitsAt(*page, 37.386, -122.0838));
    EXPECT_EQ(js("markersArray[0].options.title"), "37.386,-122.0838 (37.386,-122.0838)");
    EXPECT_EQ(js("markersArray[0].options.icon.options.iconUrl"),
              "orvanta://site/maker/1427436750_My-Network-Places-icon.png");
    EXPECT_TRUE(centredOn(37.386, -122.0838));
    locate("Paris, A8, France", 48.8582, 2.3387);
    EXPECT_TRUE(newestMarkerSitsAt(*page, 48.8582, 2.3387));
    EXPECT_EQ(markerCounts(*page), "1/2"); // cleared markers stay in the list
    EXPECT_TRUE(page->alerts.isEmpty());
}

TEST_F(OpenMap, UnknownTextAlertsAndAddsNoMarker) {
    open();
    bridge->run("GotoLatLng(1,2)");
    const QString zoom = js("map.getZoom()");
    book->Add("ERROR City not present", "ERROR City not present", "ERROR City not present", ".");
    int expected = 0;
    for (const char* text : {"ERROR City not present", "Springfield", ""}) {
        bridge->run(std::string("codeAddress('") + text + "')");
        ASSERT_TRUE(waitForAlerts(++expected)) << text;
        EXPECT_EQ(page->alerts.last(),
                  "Geocode was not successful for the following reason: ZERO_RESULTS")
            << text;
    }
    EXPECT_EQ(markerCounts(*page), "1/1");
    EXPECT_TRUE(centredOn(1, 2));
    EXPECT_EQ(js("map.getZoom()"), zoom);
}

TEST_F(OpenMap, AwkwardLocationLinesReachTheBookIntact) {
    open();
    const std::string lines[] = {
        "O'Hare, IL, United States",
        "back\\slash \\' \\\\",
        "</script><script>alert(1)</script>, , ",
        "Line\xE2\x80\xA8Separator\xE2\x80\xA9Para",
        "\xE6\x9D\xB1\xE4\xBA\xAC, 13, \xE6\x97\xA5\xE6\x9C\xAC",
        "\"quoted\" & <b>bold</b> %20 + #frag ?q=1",
        std::string(10240, 'x'),
    };
    double lat = -40;
    for (const auto& line : lines) {
        lat += 10;
        locate(line, lat, 10);
        EXPECT_TRUE(newestMarkerSitsAt(*page, lat, 10)) << line.substr(0, 40);
    }
    EXPECT_TRUE(page->alerts.isEmpty()) << page->alerts.join('|').toStdString();
    EXPECT_EQ(js("typeof window.alerted"), "undefined");
}

TEST_F(OpenMap, FunctionsKeepTheKeyedPagesContract) {
    open();
    bridge->run("ClearMarkers()"); // nothing there yet: no error
    struct Row {
        const char* name;
        const char* call;
        const char* title;
        const char* counts;
    };
    const Row rows[] = {
        {"trailing zero", "GotoLatLng(25.7673140,-80.135694)",
         "25.767314,-80.135694 (25.767314,-80.135694)", "1/1"},
        {"exponent", "GotoLatLng(1e1,-0.50)", "10,-0.5 (10,-0.5)", "2/2"},
        {"integers", "GotoLatLng(0,180)", "0,180 (0,180)", "3/3"},
    };
    int index = 0;
    for (const auto& row : rows) {
        bridge->run(row.call);
        EXPECT_EQ(js(QStringLiteral("markersArray[%1].options.title").arg(index++)), row.title)
            << row.name;
        EXPECT_EQ(markerCounts(*page), row.counts) << row.name;
    }
    const int zoom = js("map.getZoom()").toInt();
    bridge->run("ClearMarkers()");
    bridge->run("ClearMarkers()");
    EXPECT_EQ(markerCounts(*page), "0/3");
    // Layers the open map cannot offer: accepted, idempotent, no effect.
    for (const char* call : {"TrafficOn()", "TrafficOn()", "TrafficOff()", "TrafficOff()",
                             "BicyclingOn()", "BicyclingOn()", "BicyclingOff()", "StreetViewOn()",
                             "StreetViewOn()", "StreetViewOff()"}) {
        EXPECT_NO_THROW(bridge->run(call)) << call;
    }
    EXPECT_EQ(js("map.getZoom()").toInt(), zoom);
    EXPECT_EQ(markerCounts(*page), "0/3");
    EXPECT_THROW(bridge->run("GotoLatLng(,1)"), std::runtime_error);
    EXPECT_THROW(bridge->run("GotoLatLng(NaN,1)"), std::runtime_error);
    EXPECT_EQ(markerCounts(*page), "0/3");
}

TEST_F(OpenMap, WorldShapesAreDrawnFromTheWorldFile) {
    folder.Write("world.geojson", squareWorld(40.714776, -74.019213));
    open();
    ASSERT_TRUE(waitForJs(*page, "mapTimes.worldDrawn > 0"));
    EXPECT_TRUE(js("map.getContainer().className").contains(QStringLiteral("with-world")));
    // The land colour inside the square, the sea colour far outside it.
    const QString pixel = QStringLiteral(
        "(function (lat, lng) { var canvas = map.getPane('world').querySelector('canvas');"
        " var p = map.latLngToLayerPoint([lat, lng]);"
        " var origin = L.DomUtil.getPosition(canvas);"
        " var d = canvas.getContext('2d').getImageData(p.x - origin.x, p.y - origin.y, 1, 1).data;"
        " return d[0] + ',' + d[1] + ',' + d[2] + ',' + d[3]; })(%1, %2)");
    // Drawn on the next frames after the offline zoom.
    ASSERT_TRUE(waitForJs(*page, "map.getZoom() === 4"));
    EXPECT_TRUE(waitForJs(*page, pixel.arg(40.714776).arg(-74.019213) +
                                     QStringLiteral(" === '242,239,233,255'")))
        << js(pixel.arg(40.714776).arg(-74.019213)).toStdString();
    EXPECT_EQ(js(pixel.arg(40.714776).arg(-90)).section(',', 3), "0");
    EXPECT_TRUE(js("map.attributionControl.getContainer().textContent")
                    .contains(QStringLiteral("Natural Earth")));
}

TEST_F(OpenMap, BrokenWorldFilesAreLeftOutQuietly) {
    const std::string good = squareWorld(0, 0);
    struct Row {
        const char* name;
        std::string bytes;
    };
    const Row rows[] = {
        {"empty", ""},
        {"truncated", good.substr(0, good.size() / 2)},
        {"not json", "\x89PNG\r\n\x1a\n garbage"},
        {"json but no shapes", "{\"type\":\"Feature\",\"geometry\":{\"type\":\"Blob\"}}"},
        {"wrong numbers", "{\"type\":\"Polygon\",\"coordinates\":[[[\"a\",\"b\"]]]}"},
    };
    for (const auto& row : rows) {
        folder.Write("world.geojson", row.bytes);
        open();
        ASSERT_TRUE(waitForJs(*page, "mapTimes.worldMissing > 0 || mapTimes.worldDrawn > 0"))
            << row.name;
        locate("Somewhere", 12.5, 45.25);
        EXPECT_TRUE(newestMarkerSitsAt(*page, 12.5, 45.25)) << row.name;
        EXPECT_TRUE(page->alerts.isEmpty()) << row.name;
    }
}

TEST_F(OpenMap, AWorldFileThatIsNoRegularFileIsLeftOut) {
    // A FIFO nothing writes to: opening it would wait for ever.
    ASSERT_EQ(::mkfifo(folder.File("world.geojson").c_str(), 0600), 0);
    open();
    ASSERT_TRUE(waitForJs(*page, "mapTimes.worldMissing > 0"));
    locate("Somewhere", 12.5, 45.25);
    EXPECT_TRUE(newestMarkerSitsAt(*page, 12.5, 45.25));
}

} // namespace
