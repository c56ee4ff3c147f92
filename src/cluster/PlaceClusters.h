// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The located places of the map's layer of many places and their clusters
// at every zoom level. Places arrive in batches while a run goes on; the
// map asks for what lies inside its view at its zoom and gets at most
// kMaxCells elements, however many places there are.
//
// Clusters are cells of a grid in the map's own (Web Mercator) projection,
// kCellPixels wide on screen at each zoom, nested so that a cell splits
// into four at the next zoom. Every place is kept once, under a Z-order key
// of its projected position: a cell at any zoom is then one contiguous
// range of the sorted places, and prefix sums give its count, occurrences
// and centre without visiting its places.
//
//     PlaceClusters clusters;                  // fed on one thread...
//     clusters.Add(batch);
//     auto index = clusters.Snapshot();        // ...read on any other
//     ViewAnswer view = index->Query(bounds, zoom);
//
// Memory: kBytesPerPlace per place once merged; a merge briefly holds the
// merged places twice.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <vector>

namespace orvanta::cluster {

struct PlaceIn {
    double latitude = 0;
    double longitude = 0;
    std::uint32_t row = 0;         // the results row the place stands for
    std::uint64_t occurrences = 1; // how often its address occurred
};

// A view in degrees. West may be greater than east (the view crosses the
// antimeridian) and either may lie outside -180..180 (a view panned onto
// a copy of the world): answers are placed in that same copy.
struct Bounds {
    double south = -90;
    double west = -180;
    double north = 90;
    double east = 180;
};

struct Element {
    // A single place's own position (also of places all at one spot), a
    // cluster's centre.
    double latitude = 0;
    double longitude = 0;
    std::uint32_t places = 0; // 1: a single place
    std::uint64_t occurrences = 0;
    std::uint32_t row = 0;  // a single place's row; one of a cluster's rows
    bool samePlace = false; // every place of it at one position
    Bounds cell;            // the grid cell it stands for
};

struct ViewAnswer {
    int zoom = 0;             // the zoom answered, after clamping
    Bounds bounds;            // the view answered, after clamping
    std::size_t total = 0;    // every place kept, in view or not
    std::uint64_t inView = 0; // places of the answer's elements
    std::vector<Element> elements;
};

class PlaceIndex;

class PlaceClusters {
public:
    static constexpr int kMaxZoom = 19;
    static constexpr int kCellPixels = 64;
    // Cells per side of a view at most: a view larger than this many cells
    // (an absurd request) is answered around its centre.
    static constexpr int kMaxCellsPerSide = 64;
    static constexpr std::size_t kMaxCells = std::size_t{kMaxCellsPerSide} * kMaxCellsPerSide;
    static const std::size_t kBytesPerPlace;

    PlaceClusters();

    // Takes a batch of places; rows may repeat (a place given twice counts
    // twice). Places without valid coordinates are skipped. One thread at a
    // time; readers of earlier snapshots are never disturbed.
    void Add(std::span<const PlaceIn> places);
    // As Add, but only while no Clear came after `epoch` (an Epoch()
    // taken when the places were handed over): places of a list emptied
    // meanwhile never show.
    void Add(std::span<const PlaceIn> places, std::uint64_t epoch);
    void Clear();
    // How many Clears there were.
    std::uint64_t Epoch() const;
    // What has been added so far, unchanged by later Adds. Cheap: a few
    // shared pointers.
    std::shared_ptr<const PlaceIndex> Snapshot() const;

private:
    mutable std::mutex mutex_; // guards current_ and cleared_ only
    std::shared_ptr<const PlaceIndex> current_;
    // Bumped by Clear: an Add that began before it publishes nothing.
    std::uint64_t cleared_ = 0;
};

class PlaceIndex {
public:
    struct Level;

    std::size_t Size() const { return size_; }
    // Smallest and largest latitude and longitude of the places; nothing
    // (south > north) when there are none.
    Bounds Extent() const { return extent_; }
    // Clusters and single places inside `bounds` at `zoom`. Absurd values
    // (not finite, out of range, a view larger than the world) are clamped.
    ViewAnswer Query(Bounds bounds, double zoom) const;

private:
    friend class PlaceClusters;
    // Sorted runs of places, largest first, sizes falling at least by half:
    // a batch is merged into the smaller runs only, so adding n places
    // costs O(n log n) in all.
    std::vector<std::shared_ptr<const Level>> levels_;
    std::size_t size_ = 0;
    Bounds extent_{90, 180, -90, -180};
};

} // namespace orvanta::cluster
