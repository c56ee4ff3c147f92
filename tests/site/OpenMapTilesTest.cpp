// SPDX-License-Identifier: GPL-3.0-or-later
// The open map's street tiles from a loopback tile server, in a map
// profile made the way the program makes it (disk cache, the program's
// User-Agent) under a temporary folder: what every request carries, that
// a fetched tile is reused, and that a failing server leaves the map
// usable.
#include "LoopbackHttpServer.h"
#include "OpenMapTestSupport.h"
#include "TempFolder.h"
#include "http/HttpClient.h"
#include "map/PlaceBook.h"
#include "map/ScriptCalls.h"
#include "site/MapDataResponder.h"
#include "site/MapPageLoader.h"
#include "site/MapProfile.h"

#include <QBuffer>
#include <QEventLoop>
#include <QImage>
#include <QTimer>
#include <QWebEngineProfile>
#include <atomic>
#include <cstdlib>
#include <gtest/gtest.h>
#include <memory>

namespace {

using orvanta::test::HttpExchange;
using orvanta::test::HttpReply;
using orvanta::test::LoopbackHttpServer;

std::string tilePng() {
    QImage tile(256, 256, QImage::Format_RGB32);
    tile.fill(QColor(200, 220, 200));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    tile.save(&buffer, "PNG");
    return bytes.toStdString();
}

// A profile of its own per test, deleted after its pages.
struct TileProfile {
    orvanta::test::TempFolder folder;
    std::unique_ptr<QWebEngineProfile> profile{
        TMapProfile::create(QString::fromStdString(folder.path().string()), nullptr)};
};

const char kAllTilesLoaded[] =
    "openMap.tileSeen && document.querySelectorAll('.leaflet-tile').length > 0 && "
    "document.querySelectorAll('.leaflet-tile').length === "
    "document.querySelectorAll('.leaflet-tile-loaded').length";

TEST(OpenMapTiles, EveryRequestNamesTheProgramAndFetchedTilesAreReusedNextRun) {
    const std::string png = tilePng();
    LoopbackHttpServer server([&png](const HttpExchange&) {
        return HttpReply{
            200, {{"Content-Type", "image/png"}, {"Cache-Control", "max-age=86400"}}, png};
    });
    const std::string tiles = server.BaseUrl() + "/{z}/{x}/{y}.png";
    TileProfile profile;
    QString shown;
    {
        auto map = loadOpenMap(profile.profile.get(), tiles);
        ASSERT_TRUE(waitForJs(*map.page, kAllTilesLoaded));
        EXPECT_EQ(js(*map.page, "map.getZoom() + ',' + openMap.offline"), "13,false");
        EXPECT_EQ(js(*map.page, "String(document.querySelector('.offline-note'))"), "null");
        shown = js(*map.page, "document.querySelectorAll('.leaflet-tile-loaded').length");
    }
    const auto requests = server.Requests();
    ASSERT_FALSE(requests.empty());
    EXPECT_EQ(QString::number(requests.size()), shown); // one request per tile shown
    for (const auto& request : requests) {
        EXPECT_EQ(request.Header("user-agent"), orvanta::http::UserAgent()) << request.target;
        EXPECT_EQ(request.Header("cache-control").find("no-cache"), std::string::npos);
        EXPECT_EQ(request.Header("pragma"), "") << request.target;
    }
    // A second view of the same place, in a profile made anew on the same
    // folder as the next run of the program makes it: all from the disk cache.
    profile.profile.reset(
        TMapProfile::create(QString::fromStdString(profile.folder.path().string()), nullptr));
    {
        auto map = loadOpenMap(profile.profile.get(), tiles);
        ASSERT_TRUE(waitForJs(*map.page, kAllTilesLoaded));
        EXPECT_EQ(js(*map.page, "document.querySelectorAll('.leaflet-tile-loaded').length"), shown);
    }
    EXPECT_EQ(server.RequestCount(), requests.size());
}

TEST(OpenMapTiles, AFailingTileServerLeavesMarkersWorking) {
    auto book = std::make_shared<orvanta::map::PlaceBook>();
    book->Add("Seattle, WA, United States", "47.6062", "-122.3321", ".");
    TMapDataResponder::setPlaceBook(book);
    struct Row {
        const char* name;
        HttpReply reply;
        bool goesOffline; // before the first tile's wait is over
    };
    const Row rows[] = {
        {"not found", HttpReply{404, {{"Content-Type", "text/html"}}, "<h1>404</h1>"}, true},
        {"server error", HttpReply{500, {}, "oops"}, true},
        {"garbage", HttpReply{200, {{"Content-Type", "image/png"}}, "\x89PNG garbage"}, true},
        {"dropped", HttpReply{200, {}, "", std::chrono::milliseconds(0), true}, true},
        {"stalling", HttpReply{200, {}, "", std::chrono::milliseconds(2000)}, false},
    };
    for (const auto& row : rows) {
        LoopbackHttpServer server([&row](const HttpExchange&) { return row.reply; });
        TileProfile profile;
        auto map = loadOpenMap(profile.profile.get(), server.BaseUrl() + "/{z}/{x}/{y}.png");
        map.bridge->run(orvanta::map::clearMarkersCall());
        map.bridge->run(orvanta::map::codeAddressCall("Seattle, WA, United States"));
        ASSERT_TRUE(waitForJs(*map.page, "markersArray.length === 1")) << row.name;
        EXPECT_TRUE(newestMarkerSitsAt(*map.page, 47.6062, -122.3321)) << row.name;
        if (row.goesOffline) {
            EXPECT_TRUE(waitForJs(*map.page, "openMap.offline && map.getZoom() === 4")) << row.name;
        }
        EXPECT_TRUE(map.page->alerts.isEmpty()) << row.name;
        map.bridge->run("GotoLatLng(1,2)");
        EXPECT_EQ(markerCounts(*map.page), "2/2") << row.name;
    }
}

TEST(OpenMapTiles, ATileServerThatAnswersAgainBringsTheStreetsBack) {
    const std::string png = tilePng();
    struct Row {
        const char* name;
        const char* userZoom; // while offline; empty: none
        const char* zoomAfter;
    };
    const Row rows[] = {{"left alone", "", "13"},
                        {"zoomed by the user", "map.setZoom(6, {animate: false})", "6"}};
    for (const auto& row : rows) {
        std::atomic<bool> serving{false};
        LoopbackHttpServer server([&](const HttpExchange&) {
            return serving ? HttpReply{200, {{"Content-Type", "image/png"}}, png}
                           : HttpReply{503, {}, "down"};
        });
        TileProfile profile;
        auto map = loadOpenMap(profile.profile.get(), server.BaseUrl() + "/{z}/{x}/{y}.png");
        ASSERT_TRUE(waitForJs(*map.page, "openMap.offline && map.getZoom() === 4")) << row.name;
        js(*map.page, row.userZoom);
        serving = true;
        // West of the start, onto tiles not asked yet, but near enough to pan to.
        map.bridge->run("GotoLatLng(39.7392,-104.9903)");
        ASSERT_TRUE(waitForJs(*map.page, "!openMap.offline")) << row.name;
        EXPECT_EQ(js(*map.page, "map.getZoom() + ',' + document.querySelector('.offline-note')"),
                  QString(row.zoomAfter) + ",null")
            << row.name;
        // Still on the place, which a pixel's error at zoom 4 would not be.
        EXPECT_EQ(js(*map.page, "map.latLngToContainerPoint([39.7392, -104.9903])"
                                ".distanceTo(map.getSize().divideBy(2)) < 2"),
                  "true")
            << row.name;
    }
}

// Private mode: not one tile request, from the start or from the moment it is
// switched on, and the streets back when it is switched off, without a
// reload (the markers stay).
TEST(OpenMapTiles, PrivateModeSendsNoTileRequestAndSwitchesBackAtOnce) {
    const std::string png = tilePng();
    const char* const privateNote =
        "document.querySelector('.offline-note') !== null && "
        "document.querySelector('.offline-note').textContent === "
        "'Private mode: street tiles off' && !map.hasLayer(openMap.tiles)";
    for (const bool startPrivate : {true, false}) {
        SCOPED_TRACE(startPrivate ? "started private" : "switched on");
        LoopbackHttpServer server([&png](const HttpExchange&) {
            return HttpReply{200, {{"Content-Type", "image/png"}}, png};
        });
        TileProfile profile;
        auto map =
            loadOpenMap(profile.profile.get(), server.BaseUrl() + "/{z}/{x}/{y}.png", startPrivate);
        if (!startPrivate) {
            ASSERT_TRUE(waitForJs(*map.page, kAllTilesLoaded));
            map.bridge->run(orvanta::map::privateModeCall(true));
        }
        ASSERT_TRUE(waitForJs(*map.page, privateNote));
        const std::size_t before = server.Requests().size();
        if (startPrivate) {
            EXPECT_EQ(before, 0u);
        }
        // Moving the map asks for nothing while private.
        map.bridge->run("GotoLatLng(39.7392,-104.9903)");
        map.bridge->run("map.setZoom(12, {animate: false})");
        EXPECT_EQ(js(*map.page, "document.querySelectorAll('.leaflet-tile').length"), "0");
        EXPECT_EQ(server.Requests().size(), before);

        map.bridge->run(orvanta::map::privateModeCall(false));
        ASSERT_TRUE(waitForJs(*map.page, QString("!openMap.offline && ") + kAllTilesLoaded));
        EXPECT_GT(server.Requests().size(), before);
        EXPECT_EQ(js(*map.page, "String(document.querySelector('.offline-note'))"), "null");
        EXPECT_EQ(markerCounts(*map.page), "1/1");
    }
}

// The keyed page is not loaded in private mode: the open map stands in.
TEST(OpenMapTiles, PrivateModeKeepsTheKeyedPageOut) {
    TileProfile profile;
    ::setenv("ORVANTA_MAPS_API_KEY", "AIza-test", 1);
    ::unsetenv("ORVANTA_MAP");
    RecordingMapPage page(profile.profile.get());
    QEventLoop loop;
    QObject::connect(&page, &QWebEnginePage::loadFinished, &loop, &QEventLoop::quit);
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    TMapPageLoader::load(&page, true);
    loop.exec();
    ::unsetenv("ORVANTA_MAPS_API_KEY");
    EXPECT_EQ(js(page, "typeof L + ',' + typeof google"), "object,undefined");
    EXPECT_TRUE(waitForJs(page, "document.querySelector('.offline-note') !== null"));
    EXPECT_EQ(js(page, "document.querySelector('.offline-note').textContent"),
              "Private mode: street tiles off (the keyed map is not loaded)");
}

TEST(OpenMapTiles, ThePageChoiceDecidesTheUserAgent) {
    struct Row {
        const char* name;
        const char* map;
        const char* key;
        bool open;
    };
    const Row rows[] = {
        {"default", nullptr, nullptr, true},
        {"key", nullptr, "AIza-test", false},
        {"unknown choice", "bogus", nullptr, true},
    };
    for (const auto& row : rows) {
        TileProfile profile;
        new FakeMapsApi(profile.profile.get()); // owned by the profile; lets nothing out
        const auto set = [](const char* name, const char* value) {
            value ? ::setenv(name, value, 1) : ::unsetenv(name);
        };
        set("ORVANTA_MAP", row.map);
        set("ORVANTA_MAPS_API_KEY", row.key);
        RecordingMapPage page(profile.profile.get());
        QEventLoop loop;
        QObject::connect(&page, &QWebEnginePage::loadFinished, &loop, &QEventLoop::quit);
        QTimer::singleShot(10000, &loop, &QEventLoop::quit);
        TMapPageLoader::load(&page);
        loop.exec();
        ::unsetenv("ORVANTA_MAP");
        ::unsetenv("ORVANTA_MAPS_API_KEY");
        EXPECT_EQ(js(page, "typeof L + ',' + typeof google"),
                  row.open ? "object,undefined" : "undefined,object")
            << row.name;
        const QString agent = js(page, "navigator.userAgent");
        if (row.open) {
            EXPECT_EQ(agent.toStdString(), orvanta::http::UserAgent()) << row.name;
        } else {
            EXPECT_TRUE(agent.startsWith(QStringLiteral("Mozilla/"))) << row.name;
        }
    }
}

} // namespace
