// SPDX-License-Identifier: GPL-3.0-or-later
// The clusters of many places: every place counted once in whatever view
// holds it, at every zoom, also at the antimeridian, the poles and on one
// spot; absurd views clamped; the page's view request read defensively.
#include "cluster/PlaceClusters.h"

#include "cluster/ViewRequest.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <map>
#include <numbers>
#include <random>

namespace {

using namespace orvanta::cluster;

// The grid cell of a place at a zoom, computed plainly from the map's
// projection, to check the index's ranges against.
std::pair<long long, long long> CellOf(double lat, double lng, int zoom) {
    const double side = std::ldexp(1.0, zoom + 2);
    const double x = (lng + 180) / 360;
    const double l = std::clamp(lat, -85.0511287798066, 85.0511287798066) * std::numbers::pi / 180;
    const double y =
        0.5 - std::log(std::tan(std::numbers::pi / 4 + l / 2)) / (2 * std::numbers::pi);
    const auto clampCell = [&](double v) {
        return std::clamp(static_cast<long long>(std::floor(v * side)), 0LL,
                          static_cast<long long>(side) - 1);
    };
    return {clampCell(x), clampCell(y)};
}

std::vector<PlaceIn> Scatter(unsigned seed, std::size_t count, Bounds box) {
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> lat(box.south, box.north);
    std::uniform_real_distribution<double> lng(box.west, box.east);
    std::vector<PlaceIn> places;
    for (std::size_t i = 0; i < count; ++i)
        places.push_back({lat(random), lng(random), static_cast<std::uint32_t>(i), 1 + i % 7});
    // Some places twice as far as the coordinates go: the same spot.
    for (std::size_t i = 0; i < count / 10; ++i)
        places.push_back(
            {places[i].latitude, places[i].longitude, static_cast<std::uint32_t>(count + i), 3});
    return places;
}

void AddInBatches(PlaceClusters& clusters, const std::vector<PlaceIn>& places, std::size_t batch) {
    for (std::size_t at = 0; at < places.size(); at += batch)
        clusters.Add(std::span(places).subspan(at, std::min(batch, places.size() - at)));
}

TEST(PlaceClusters, CellsAddUpAtEveryZoom) {
    struct Case {
        const char* name;
        Bounds region; // where the places are, small enough for one view at the zooms
        int fromZoom;
        int toZoom;
    };
    const Case cases[] = {
        {"whole world", {-90, -180, 90, 180}, 0, 3},
        {"a country", {46, 6, 47.5, 10}, 4, 9},
        {"a city", {47.36, 8.52, 47.39, 8.56}, 10, 14},
        {"a street", {47.3700, 8.5400, 47.3705, 8.5408}, 15, PlaceClusters::kMaxZoom},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<PlaceIn> places = Scatter(7, 3000, c.region);
        PlaceClusters clusters;
        AddInBatches(clusters, places, 700);
        const auto index = clusters.Snapshot();
        ASSERT_EQ(index->Size(), places.size());
        for (int zoom = c.fromZoom; zoom <= c.toZoom; ++zoom) {
            SCOPED_TRACE(zoom);
            const ViewAnswer view = index->Query(c.region, zoom + 0.5);
            EXPECT_EQ(view.zoom, zoom);
            std::map<std::pair<long long, long long>, std::pair<std::uint32_t, std::uint64_t>>
                expected;
            for (const PlaceIn& p : places) {
                auto& cell = expected[CellOf(p.latitude, p.longitude, zoom)];
                ++cell.first;
                cell.second += p.occurrences;
            }
            ASSERT_EQ(view.elements.size(), expected.size());
            std::uint64_t seen = 0;
            for (const Element& e : view.elements) {
                const auto cell = CellOf((e.cell.south + e.cell.north) / 2,
                                         (e.cell.west + e.cell.east) / 2, zoom);
                ASSERT_TRUE(expected.contains(cell));
                EXPECT_EQ(e.places, expected[cell].first);
                EXPECT_EQ(e.occurrences, expected[cell].second);
                // Places nearer the poles than the map reaches sit in its edge cells.
                const double lat = std::clamp(e.latitude, -85.0511287798066, 85.0511287798066);
                EXPECT_GE(lat, e.cell.south - 1e-9);
                EXPECT_LE(lat, e.cell.north + 1e-9);
                seen += e.places;
            }
            EXPECT_EQ(seen, places.size());
            EXPECT_EQ(view.inView, places.size());
        }
    }
}

TEST(PlaceClusters, EdgesOfTheWorldAndOneSpot) {
    struct Case {
        const char* name;
        std::vector<PlaceIn> places;
        Bounds view;
        double zoom;
        std::size_t elements;
        std::uint32_t inView;
        double firstLongitude; // of the element with the lowest row
        bool samePlace;
    };
    const std::vector<PlaceIn> seam = {{10, 179.9, 0, 1}, {10, -179.9, 1, 1}};
    const std::vector<PlaceIn> spot(1000, PlaceIn{47.37, 8.54, 5, 2});
    const Case cases[] = {
        {"across the seam, west > east", seam, {0, 170, 20, -170}, 5, 2, 2, 179.9, true},
        {"across the seam, east past 180", seam, {0, 170, 20, 190}, 5, 2, 2, 179.9, true},
        {"across the seam from the west", seam, {0, -190, 20, -170}, 5, 2, 2, -180.1, true},
        {"a copy of the world east", seam, {0, 530, 20, 550}, 5, 2, 2, 539.9, true},
        {"two spots in one cell",
         {{47.37, 8.54, 0, 1}, {47.38, 8.55, 1, 1}},
         {40, 0, 50, 20},
         3,
         1,
         2,
         8.545,
         false},
        {"poles",
         {{90, 0, 0, 1}, {-90, 0, 1, 1}, {89.9, 100, 2, 1}},
         {-90, -180, 90, 180},
         0,
         3,
         3,
         0,
         true},
        {"one spot at the deepest zoom",
         spot,
         {47.369, 8.539, 47.371, 8.541},
         19,
         1,
         1000,
         8.54,
         true},
        {"one spot from afar", spot, {-90, -180, 90, 180}, 0, 1, 1000, 8.54, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PlaceClusters clusters;
        clusters.Add(c.places);
        const ViewAnswer view = clusters.Snapshot()->Query(c.view, c.zoom);
        ASSERT_EQ(view.elements.size(), c.elements);
        EXPECT_EQ(view.inView, c.inView);
        const Element* lowest = &view.elements.front();
        for (const Element& e : view.elements)
            if (e.row < lowest->row)
                lowest = &e;
        EXPECT_NEAR(lowest->longitude, c.firstLongitude, 1e-6);
        EXPECT_EQ(lowest->samePlace, c.samePlace);
    }
}

TEST(PlaceClusters, AbsurdViewsAreClamped) {
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    PlaceClusters clusters;
    AddInBatches(clusters, Scatter(3, 20000, {-85, -180, 85, 180}), 5000);
    const auto index = clusters.Snapshot();
    struct Case {
        Bounds view;
        double zoom;
        int answeredZoom;
    };
    const Case cases[] = {
        {{nan, nan, nan, nan}, nan, 0},
        {{-inf, -inf, inf, inf}, -inf, 0},
        {{-1e300, -1e300, 1e300, 1e300}, 1e300, 19},
        {{90, 180, -90, -180}, -3, 0},
        {{-90, -180, 90, 180}, 19, 19},
        {{-90, -1e5, 90, 1e5}, 12.7, 12},
        {{0, 0, 0, 0}, 25, 19},
    };
    for (const Case& c : cases) {
        const ViewAnswer view = index->Query(c.view, c.zoom);
        EXPECT_EQ(view.zoom, c.answeredZoom);
        EXPECT_LE(view.elements.size(), PlaceClusters::kMaxCells);
        EXPECT_LE(view.inView, index->Size());
        EXPECT_LE(view.bounds.south, view.bounds.north);
        EXPECT_LE(view.bounds.west, view.bounds.east);
    }
    // The whole world at zoom 2 is 16 by 16 cells: every place in view.
    EXPECT_EQ(index->Query({-90, -180, 90, 180}, 2).inView, index->Size());
}

TEST(PlaceClusters, SnapshotsStayAsTheyWereAndClearEmpties) {
    PlaceClusters clusters;
    clusters.Add(std::vector<PlaceIn>{{1, 2, 0, 1}, {std::nan(""), 2, 1, 1}, {95, 0, 2, 1}});
    const auto before = clusters.Snapshot();
    clusters.Add(std::vector<PlaceIn>{{3, 4, 3, 1}});
    EXPECT_EQ(before->Size(), 1u); // unusable coordinates skipped
    EXPECT_EQ(clusters.Snapshot()->Size(), 2u);
    EXPECT_EQ(clusters.Snapshot()->Extent().north, 3);
    const std::uint64_t epoch = clusters.Epoch();
    clusters.Clear();
    clusters.Add(std::vector<PlaceIn>{{5, 6, 4, 1}}, epoch); // handed over before the Clear
    EXPECT_EQ(clusters.Snapshot()->Size(), 0u);
    EXPECT_TRUE(clusters.Snapshot()->Query({}, 3).elements.empty());
    EXPECT_EQ(before->Query({}, 0).inView, 1u);
}

TEST(ViewRequest, ReadsTheQueryDefensively) {
    struct Case {
        const char* query;
        Bounds bounds;
        double zoom;
    };
    const Bounds world;
    const Case cases[] = {
        {"s=40.5&w=-75&n=41&e=-72.25&z=9", {40.5, -75, 41, -72.25}, 9},
        {"z=3&e=10&n=2&w=-10&s=-2&extra=1", {-2, -10, 2, 10}, 3},
        {"s=1&n=2&w=x&e=3&z=", {1, world.west, 2, world.east}, 0},
        {"s=1&w=2&e=3&z=nan", {world.south, 2, world.north, 3}, 0},
        {"s=1e999&n=2&z=1e308", world, 1e308},
        {"&&=&s&n==&z=4", world, 4},
        {"", world, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.query);
        const ViewRequest r = ParseViewRequest(c.query);
        EXPECT_EQ(r.bounds.south, c.bounds.south);
        EXPECT_EQ(r.bounds.west, c.bounds.west);
        EXPECT_EQ(r.bounds.north, c.bounds.north);
        EXPECT_EQ(r.bounds.east, c.bounds.east);
        EXPECT_EQ(r.zoom, c.zoom);
    }
    EXPECT_EQ(ParseViewRequest("z=5&" + std::string(kMaxQuery, 'x')).zoom, 0);
}

TEST(ViewRequest, AnswersInOneJsonShape) {
    PlaceClusters clusters;
    clusters.Add(std::vector<PlaceIn>{{47.5, 8.5, 4, 3}});
    const std::string json = ViewAnswerJson(clusters.Snapshot()->Query({47, 8, 48, 9}, 19));
    EXPECT_EQ(json.rfind("{\"zoom\":19,\"total\":1,\"inView\":1,\"bounds\":[", 0), 0u);
    EXPECT_NE(json.find("\"elements\":[[47.5,8.5,1,3,4,1,"), std::string::npos);
    const std::string titled = ViewAnswerJson(clusters.Snapshot()->Query({47, 8, 48, 9}, 19),
                                              [](std::uint32_t) { return "a\"\\\n\xff"; });
    EXPECT_NE(titled.find(",\"a\\\"\\\\\\u000a\\u00ff\"]]}"), std::string::npos) << titled;
}

} // namespace
