// SPDX-License-Identifier: GPL-3.0-or-later
// The map page's own functions, run in the browser engine against the
// fake maps API, called through the script bridge as the program calls
// them.
#include "MapTestSupport.h"
#include "site/MapScriptBridge.h"

#include <gtest/gtest.h>

namespace {

class MapPage : public ::testing::Test {
protected:
    void SetUp() override {
        auto map = loadedMap();
        page = std::move(map.page);
        bridge = std::move(map.bridge);
    }
    QString calls() { return js(*page, "fake.calls.join('\\n')"); }
    void resetCalls() { js(*page, "fake.calls = []"); }

    std::unique_ptr<RecordingMapPage> page;
    std::unique_ptr<TMapScriptBridge> bridge;
};

TEST_F(MapPage, InitializeMakesTheMapAndHiddenLayers) {
    EXPECT_EQ(calls(), "Geocoder()\n"
                       "LatLng(40.714776,-74.019213)\n"
                       "Map(#map_canvas,{zoom:13,center:LatLng(40.714776,-74.019213),"
                       "mapTypeId:\"roadmap\"})\n"
                       "TrafficLayer()\n"
                       "BicyclingLayer()\n"
                       "map.set(\"streetViewControl\",false)");
    EXPECT_EQ(js(*page, "String(trafficLayer.map) + ',' + String(bikeLayer.map)"), "null,null");
    EXPECT_EQ(fakeMaps().loaderRequests().last(),
              "https://maps.googleapis.com/maps/api/js?sensor=true");
}

TEST_F(MapPage, GeocodingUsesTheFirstResultOnly) {
    resetCalls();
    bridge->run("codeAddress('Main Street  Springfield')");
    EXPECT_EQ(calls(), "geocode({address:\"Main Street  Springfield\"})");
    EXPECT_EQ(js(*page, "Object.keys(fake.requests[0]).join()"), "address");
    EXPECT_EQ(js(*page, "fake.markers.length"), "0"); // nothing before the answer
    js(*page, "fake.answer([[25.7673140, -80.135694], [1, 2]], 'OK')");
    EXPECT_EQ(js(*page, "fake.map.center.__text"), "point(25.767314,-80.135694)");
    EXPECT_EQ(js(*page, "fake.markers.length"), "1");
    EXPECT_EQ(js(*page, "fake.markers[0].title"), "25.767314,-80.135694 (25.767314,-80.135694)");
    EXPECT_EQ(js(*page, "fake.markers[0].icon"),
              "orvanta://site/maker/1427436750_My-Network-Places-icon.png");
    EXPECT_EQ(js(*page, "fake.markers[0].map === fake.map"), "true");
    EXPECT_TRUE(page->alerts.isEmpty());
}

TEST_F(MapPage, GeocodingFailureAlertsAndAddsNoMarker) {
    bridge->run("GotoLatLng(1,2)");
    const QString centre = js(*page, "fake.map.center.__text");
    bridge->run("codeAddress('nowhere')");
    js(*page, "fake.answer([], 'ZERO_RESULTS')");
    ASSERT_EQ(page->alerts.size(), 1);
    EXPECT_EQ(page->alerts[0], "Geocode was not successful for the following reason: ZERO_RESULTS");
    EXPECT_EQ(js(*page, "fake.markers.length"), "1");
    EXPECT_EQ(js(*page, "fake.map.center.__text"), centre);
    EXPECT_EQ(js(*page, "String(fake.calls.some(function (c) { return /setZoom|zoom/.test(c) "
                        "&& c.indexOf('Map(') !== 0; }))"),
              "false");
}

TEST_F(MapPage, ClearMarkersKeepsEveryMarkerInItsList) {
    bridge->run("ClearMarkers()"); // nothing there yet: no error
    bridge->run("GotoLatLng(1,2)");
    bridge->run("GotoLatLng(3,4)");
    bridge->run("ClearMarkers()");
    EXPECT_EQ(js(*page, "fake.visible() + '/' + markersArray.length"), "0/2");
    bridge->run("ClearMarkers()");
    bridge->run("GotoLatLng(5,6)");
    EXPECT_EQ(js(*page, "fake.visible() + '/' + markersArray.length"), "1/3");
    EXPECT_EQ(js(*page, "markersArray === markersArray && fake.markers[2] === markersArray[2]"),
              "true");
}

TEST_F(MapPage, TitlesUseTheScriptsNumberForm) {
    struct Row {
        const char* name;
        const char* call;
        const char* title;
        const char* centre;
    };
    const Row rows[] = {
        {"trailing zero", "GotoLatLng(25.7673140,-80.135694)",
         "25.767314,-80.135694 (25.767314,-80.135694)", "LatLng(25.767314,-80.135694)"},
        {"exponent", "GotoLatLng(1e2,-0.50)", "100,-0.5 (100,-0.5)", "LatLng(100,-0.5)"},
        {"integers", "GotoLatLng(0,180)", "0,180 (0,180)", "LatLng(0,180)"},
    };
    int index = 0;
    for (const auto& row : rows) {
        bridge->run(row.call);
        EXPECT_EQ(js(*page, QString("markersArray[%1].title").arg(index)), row.title) << row.name;
        EXPECT_EQ(js(*page, "fake.map.center.__text"), row.centre) << row.name;
        ++index;
    }
}

TEST_F(MapPage, LayerSwitchesAreIdempotent) {
    struct Row {
        const char* name;
        const char* call;
        const char* state;
        const char* expected;
    };
    const Row rows[] = {
        {"traffic on", "TrafficOn()", "trafficLayer.map === fake.map", "true"},
        {"traffic on again", "TrafficOn()", "trafficLayer.map === fake.map", "true"},
        {"traffic off", "TrafficOff()", "String(trafficLayer.map)", "null"},
        {"traffic off again", "TrafficOff()", "String(trafficLayer.map)", "null"},
        {"bicycling on", "BicyclingOn()", "bikeLayer.map === fake.map", "true"},
        {"bicycling on again", "BicyclingOn()", "bikeLayer.map === fake.map", "true"},
        {"bicycling off", "BicyclingOff()", "String(bikeLayer.map)", "null"},
        {"street view on", "StreetViewOn()", "String(fake.map.props.streetViewControl)", "true"},
        {"street view on again", "StreetViewOn()", "String(fake.map.props.streetViewControl)",
         "true"},
        {"street view off", "StreetViewOff()", "String(fake.map.props.streetViewControl)", "false"},
    };
    for (const auto& row : rows) {
        bridge->run(row.call);
        EXPECT_EQ(js(*page, row.state), row.expected) << row.name;
    }
    EXPECT_EQ(js(*page, "String(trafficLayer.map)"), "null"); // the other layer was left alone
}

TEST(MapPageWithoutApi, AddressAndClearDoNothingTheRestFails) {
    auto map = loadedMap(FakeMapsApi::Mode::Fail);
    auto& page = map.page;
    auto& bridge = *map.bridge;
    bridge.run("codeAddress('Main Street')");
    bridge.run("ClearMarkers()");
    EXPECT_TRUE(page->alerts.isEmpty());
    EXPECT_EQ(js(*page, "typeof geocoder + ',' + typeof map + ',' + markersArray.length"),
              "undefined,undefined,0");
    struct Row {
        const char* call;
        const char* message;
    };
    const Row rows[] = {
        {"GotoLatLng(25.767314,-80.135694)", "ReferenceError: google is not defined"},
        {"TrafficOn()", "TypeError: Cannot read properties of undefined (reading 'setMap')"},
        {"StreetViewOff()", "TypeError: Cannot read properties of undefined (reading 'set')"},
    };
    for (const auto& row : rows) {
        try {
            bridge.run(row.call);
            ADD_FAILURE() << row.call << " did not fail";
        } catch (const std::runtime_error& error) {
            EXPECT_EQ(std::string(error.what()), row.message) << row.call;
        }
    }
}

} // namespace
