// SPDX-License-Identifier: GPL-3.0-or-later
// Which map page loads, and which tile templates the open map accepts.
#include "map/MapChoice.h"
#include "map/OpenMapSite.h"
#include "map/TileTemplate.h"

#include <gtest/gtest.h>
#include <string>

namespace {

using namespace orvanta::map;

TEST(OpenMapChoices, MapPageFromTheEnvironment) {
    struct Row {
        const char* name;
        const char* map;
        const char* key;
        MapKind kind;
        bool warns;
    };
    const Row rows[] = {
        {"nothing set", nullptr, nullptr, MapKind::Open, false},
        {"empty key", nullptr, "", MapKind::Open, false},
        {"key", nullptr, "AIza", MapKind::Google, false},
        {"open despite a key", "open", "AIza", MapKind::Open, false},
        {"google without a key", "google", nullptr, MapKind::Google, false},
        {"empty choice", "", "AIza", MapKind::Google, false},
        {"unknown value", "osm", nullptr, MapKind::Open, true},
        {"unknown value with a key", "Google", "AIza", MapKind::Google, true},
    };
    for (const auto& row : rows) {
        const MapChoice choice = chooseMap(row.map, row.key);
        EXPECT_EQ(choice.kind, row.kind) << row.name;
        EXPECT_EQ(!choice.warning.empty(), row.warns) << row.name;
        EXPECT_EQ(choice.warning.find('\n'), std::string::npos) << row.name;
    }
}

TEST(OpenMapChoices, TileTemplates) {
    const std::string tooLong = "https://t.example.org/{z}/{x}/{y}.png?" + std::string(2100, 'a');
    struct Row {
        const char* name;
        const char* url;
        bool accepted;
    };
    const Row rows[] = {
        {"default", "https://tile.openstreetmap.org/{z}/{x}/{y}.png", true},
        {"subdomains", "https://{s}.tile.example.org/{z}/{x}/{y}.png", true},
        {"port and query", "https://tiles.example.org:8443/a/{z}/{x}/{y}@2x.png?key=ab%20c", true},
        {"loopback http", "http://127.0.0.1:8080/{z}/{x}/{y}.png", true},
        {"ipv6 loopback", "http://[::1]:9/{z}/{x}/{y}.png", true},
        {"plain http elsewhere", "http://tile.openstreetmap.org/{z}/{x}/{y}.png", false},
        {"almost loopback", "http://127.0.0.1.example.org/{z}/{x}/{y}.png", false},
        {"loopback part too big", "http://127.0.0.256/{z}/{x}/{y}.png", false},
        {"other ipv6", "http://[::2]/{z}/{x}/{y}.png", false},
        {"no scheme", "tile.openstreetmap.org/{z}/{x}/{y}.png", false},
        {"missing y", "https://t.example.org/{z}/{x}.png", false},
        {"twice x", "https://t.example.org/{z}/{x}/{x}/{y}.png", false},
        {"unknown placeholder", "https://t.example.org/{z}/{x}/{y}{r}.png", false},
        {"quote", "https://t.example.org/{z}/{x}/{y}.png'", false},
        {"fragment", "https://t.example.org/{z}/{x}/{y}.png#x", false},
        {"user info", "https://user@t.example.org/{z}/{x}/{y}.png", false},
        {"bad port", "https://t.example.org:99999/{z}/{x}/{y}.png", false},
        {"no host", "https:///{z}/{x}/{y}.png", false},
        {"non-ascii", "https://t.example.org/\xC3\xA9/{z}/{x}/{y}.png", false},
        {"too long", tooLong.c_str(), false},
    };
    for (const auto& row : rows) {
        const std::string problem = tileTemplateProblem(row.url);
        EXPECT_EQ(problem.empty(), row.accepted) << row.name << ": " << problem;
        const TileTemplateChoice choice = chooseTileTemplate(row.url);
        EXPECT_EQ(choice.url,
                  row.accepted ? std::string(row.url) : std::string(kDefaultTileTemplate))
            << row.name;
        EXPECT_EQ(choice.warning.empty(), row.accepted) << row.name;
    }
    EXPECT_EQ(chooseTileTemplate(nullptr).url, kDefaultTileTemplate);
    EXPECT_TRUE(chooseTileTemplate("").warning.empty());
}

TEST(OpenMapChoices, PageAddressCarriesTheTemplateEncoded) {
    EXPECT_EQ(openMapAddress("https://t.example.org/{z}/{x}/{y}.png?a=1&b=2"),
              "orvanta://site/map/open.html?tiles=https%3A%2F%2Ft.example.org%2F%7Bz%7D%2F%7Bx%7D"
              "%2F%7By%7D.png%3Fa%3D1%26b%3D2");
}

} // namespace
