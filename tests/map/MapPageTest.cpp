// SPDX-License-Identifier: GPL-3.0-or-later
#include "map/MapPage.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using orvanta::map::mapPageText;

// Position of `needle` in the page, failing the test when it is missing.
std::size_t at(const std::string& page, const std::string& needle) {
    const auto pos = page.find(needle);
    EXPECT_NE(pos, std::string::npos) << "missing: " << needle;
    return pos;
}

TEST(MapPage, IsOneLineOfSevenBitAsciiStartingWithHtml) {
    const std::string page = mapPageText();
    EXPECT_EQ(page.rfind("<html>", 0), 0u);
    EXPECT_EQ(page.substr(page.size() - 7), "</html>");
    for (char ch : page) {
        const auto c = static_cast<unsigned char>(ch);
        ASSERT_TRUE(c >= 32 && c < 127) << "byte " << int(c);
    }
}

TEST(MapPage, KeepsTheDocumentOrder) {
    const std::string page = mapPageText();
    const std::vector<std::string> inOrder = {
        "<head>",
        "<meta name=\"viewport\" content=\"initial-scale=1.0, user-scalable=yes\"",
        "<script type=\"text/javascript\" "
        "src=\"https://maps.googleapis.com/maps/api/js?sensor=true\"></script>",
        "<script type=\"text/javascript\">",
        "</script></head>",
        "<body onload=\"initialize()\">",
        "<div id=\"map_canvas\" style=\"width:100%; height:100%\"></div>",
        "<body style=\"margin:0\"></body></html>",
    };
    std::size_t previous = 0;
    for (const auto& piece : inOrder) {
        const auto pos = at(page, piece);
        EXPECT_GE(pos, previous) << piece;
        previous = pos;
    }
}

TEST(MapPage, DefinesEveryGlobalBeforeTheBody) {
    const std::string page = mapPageText();
    const auto body = at(page, "<body");
    for (const char* name :
         {"var geocoder;", "var map;", "var trafficLayer;", "var bikeLayer;",
          "var markersArray = [];", "function initialize()", "function codeAddress(address)",
          "function GotoLatLng(Lat, Lang)", "function ClearMarkers()",
          "function PutMarker(Lat, Lang, Msg)", "function TrafficOn()", "function TrafficOff()",
          "function BicyclingOn()", "function BicyclingOff()", "function StreetViewOn()",
          "function StreetViewOff()"}) {
        EXPECT_LT(at(page, name), body) << name;
    }
}

TEST(MapPage, MarkerIconComesFromTheProgramsOwnSite) {
    EXPECT_NE(mapPageText().find("marker.setIcon(\"orvanta://site/maker/"
                                 "1427436750_My-Network-Places-icon.png\")"),
              std::string::npos);
}

TEST(MapPage, ApiKeyIsAppendedPercentEncoded) {
    struct Row {
        const char* name;
        const char* key;
        const char* loader;
    };
    const Row rows[] = {
        {"none", "", "js?sensor=true\""},
        {"plain", "AIzaSy-_.~09", "js?sensor=true&key=AIzaSy-_.~09\""},
        {"quote and ampersand", "a\"b&c", "js?sensor=true&key=a%22b%26c\""},
        {"blank and angle", "x y<", "js?sensor=true&key=x%20y%3C\""},
        {"utf8", "\xC3\xA9", "js?sensor=true&key=%C3%A9\""},
    };
    for (const auto& row : rows) {
        const std::string page = mapPageText(row.key);
        EXPECT_NE(page.find(row.loader), std::string::npos) << row.name;
        for (char ch : page) {
            ASSERT_LT(static_cast<unsigned char>(ch), 127) << row.name;
        }
    }
}

TEST(MapPage, KeyIsReadFromTheEnvironment) {
    ::setenv(orvanta::map::kMapsApiKeyVariable, "k 1", 1);
    EXPECT_NE(orvanta::map::mapPageTextFromEnvironment().find("sensor=true&key=k%201\""),
              std::string::npos);
    ::setenv(orvanta::map::kMapsApiKeyVariable, "", 1);
    EXPECT_EQ(orvanta::map::mapPageTextFromEnvironment(), mapPageText());
    ::unsetenv(orvanta::map::kMapsApiKeyVariable);
    EXPECT_EQ(orvanta::map::mapPageTextFromEnvironment(), mapPageText());
}

} // namespace
