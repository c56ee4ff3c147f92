// SPDX-License-Identifier: GPL-3.0-or-later
#include "cluster/PlaceClusters.h"

#include "memory/LargePages.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <limits>
#include <numbers>

namespace orvanta::cluster {

struct PlaceIndex::Level {
    struct Entry {
        std::uint64_t key = 0; // Z-order of the projected position
        double latitude = 0;
        double longitude = 0;
        std::uint32_t row = 0;
        std::uint32_t occurrences = 0; // saturates; four billion lines of one address
    };
    // Sums over entries [0, i).
    struct Sum {
        std::uint64_t occurrences = 0;
        double latitude = 0;
        double longitude = 0;
    };
    // In large pages: a merge writes every place of the smaller levels
    // anew, a million places some tens of megabytes at a time.
    template <class T> using Vector = std::vector<T, memory::LargePageAllocator<T>>;
    Vector<Entry> entries; // sorted by key, then row
    Vector<Sum> prefix;    // entries.size() + 1
    Bounds extent{90, 180, -90, -180};
};

const std::size_t PlaceClusters::kBytesPerPlace =
    sizeof(PlaceIndex::Level::Entry) + sizeof(PlaceIndex::Level::Sum);

namespace {

using Level = PlaceIndex::Level;
using Entry = Level::Entry;

// The map's projection stops short of the poles.
constexpr double kMaxLatitude = 85.0511287798066;
constexpr int kAxisBits = 32;
constexpr int kCellBitsOverTile = 2; // 256-pixel tiles, 64-pixel cells
static_assert(256 >> kCellBitsOverTile == PlaceClusters::kCellPixels);

double ProjectX(double longitude) {
    return (longitude + 180.0) / 360.0;
}

double ProjectY(double latitude) {
    const double lat = std::clamp(latitude, -kMaxLatitude, kMaxLatitude) * std::numbers::pi / 180;
    return 0.5 - std::log(std::tan(std::numbers::pi / 4 + lat / 2)) / (2 * std::numbers::pi);
}

double LatitudeOfY(double y) {
    return std::atan(std::sinh(std::numbers::pi * (1 - 2 * y))) * 180 / std::numbers::pi;
}

std::uint32_t Quantize(double unit) {
    const double scaled = std::floor(unit * 4294967296.0);
    return static_cast<std::uint32_t>(std::clamp(scaled, 0.0, 4294967295.0));
}

// The bits of `v` spread to the even bits of the result.
std::uint64_t Spread(std::uint64_t v) {
    v &= 0xFFFFFFFFULL;
    v = (v | (v << 16)) & 0x0000FFFF0000FFFFULL;
    v = (v | (v << 8)) & 0x00FF00FF00FF00FFULL;
    v = (v | (v << 4)) & 0x0F0F0F0F0F0F0F0FULL;
    v = (v | (v << 2)) & 0x3333333333333333ULL;
    v = (v | (v << 1)) & 0x5555555555555555ULL;
    return v;
}

std::uint64_t Interleave(std::uint64_t x, std::uint64_t y) {
    return Spread(x) | (Spread(y) << 1);
}

bool Usable(const PlaceIn& place) {
    return std::isfinite(place.latitude) && std::isfinite(place.longitude) &&
           std::fabs(place.latitude) <= 90 && std::fabs(place.longitude) <= 180;
}

void Widen(Bounds& extent, double latitude, double longitude) {
    extent.south = std::min(extent.south, latitude);
    extent.north = std::max(extent.north, latitude);
    extent.west = std::min(extent.west, longitude);
    extent.east = std::max(extent.east, longitude);
}

void Widen(Bounds& extent, const Bounds& other) {
    if (other.south <= other.north) {
        Widen(extent, other.south, other.west);
        Widen(extent, other.north, other.east);
    }
}

bool ByKey(const Entry& a, const Entry& b) {
    return a.key != b.key ? a.key < b.key : a.row < b.row;
}

std::shared_ptr<const Level> Finish(Level&& level) {
    level.prefix.reserve(level.entries.size() + 1);
    Level::Sum sum;
    level.prefix.push_back(sum);
    for (const Entry& e : level.entries) {
        sum.occurrences += e.occurrences;
        sum.latitude += e.latitude;
        sum.longitude += e.longitude;
        level.prefix.push_back(sum);
    }
    return std::make_shared<const Level>(std::move(level));
}

std::shared_ptr<const Level> Merge(const Level& a, const Level& b) {
    Level merged;
    merged.entries.reserve(a.entries.size() + b.entries.size());
    std::merge(a.entries.begin(), a.entries.end(), b.entries.begin(), b.entries.end(),
               std::back_inserter(merged.entries), ByKey);
    merged.extent = a.extent;
    Widen(merged.extent, b.extent);
    return Finish(std::move(merged));
}

struct CellSum {
    std::uint32_t places = 0;
    std::uint64_t occurrences = 0;
    double latitude = 0;
    double longitude = 0;
    const Entry* first = nullptr;
    std::uint64_t lowKey = std::numeric_limits<std::uint64_t>::max();
    std::uint64_t highKey = 0;
};

} // namespace

PlaceClusters::PlaceClusters() : current_(std::make_shared<const PlaceIndex>()) {}

void PlaceClusters::Add(std::span<const PlaceIn> places) {
    Add(places, Epoch());
}

std::uint64_t PlaceClusters::Epoch() const {
    std::lock_guard lock(mutex_);
    return cleared_;
}

void PlaceClusters::Add(std::span<const PlaceIn> places, std::uint64_t epoch) {
    Level level;
    level.entries.reserve(places.size());
    for (const PlaceIn& place : places) {
        if (!Usable(place))
            continue;
        const std::uint64_t key =
            Interleave(Quantize(ProjectX(place.longitude)), Quantize(ProjectY(place.latitude)));
        const auto occurrences = static_cast<std::uint32_t>(
            std::min<std::uint64_t>(place.occurrences, std::numeric_limits<std::uint32_t>::max()));
        level.entries.push_back({key, place.latitude, place.longitude, place.row, occurrences});
        Widen(level.extent, place.latitude, place.longitude);
    }
    if (level.entries.empty())
        return;
    std::sort(level.entries.begin(), level.entries.end(), ByKey);

    std::shared_ptr<const PlaceIndex> base;
    {
        std::lock_guard lock(mutex_);
        if (epoch != cleared_)
            return;
        base = current_;
    }
    auto next = std::make_shared<PlaceIndex>();
    next->levels_ = base->levels_;
    next->size_ = base->size_ + level.entries.size();
    next->extent_ = base->extent_;
    Widen(next->extent_, level.extent);
    std::shared_ptr<const Level> added = Finish(std::move(level));
    while (!next->levels_.empty() &&
           next->levels_.back()->entries.size() < 2 * added->entries.size()) {
        added = Merge(*next->levels_.back(), *added);
        next->levels_.pop_back();
    }
    next->levels_.push_back(std::move(added));

    std::lock_guard lock(mutex_);
    if (epoch == cleared_)
        current_ = std::move(next);
}

void PlaceClusters::Clear() {
    std::lock_guard lock(mutex_);
    current_ = std::make_shared<const PlaceIndex>();
    ++cleared_;
}

std::shared_ptr<const PlaceIndex> PlaceClusters::Snapshot() const {
    std::lock_guard lock(mutex_);
    return current_;
}

ViewAnswer PlaceIndex::Query(Bounds view, double zoom) const {
    ViewAnswer answer;
    answer.total = size_;
    answer.zoom =
        std::isfinite(zoom)
            ? static_cast<int>(std::clamp(std::floor(zoom), 0.0, double{PlaceClusters::kMaxZoom}))
            : 0;
    const int bits = answer.zoom + kCellBitsOverTile;
    const std::int64_t side = std::int64_t{1} << bits;

    // Latitudes: any order, clamped to the projection.
    if (!std::isfinite(view.south) || !std::isfinite(view.north)) {
        view.south = -90;
        view.north = 90;
    }
    if (view.south > view.north)
        std::swap(view.south, view.north);
    view.south = std::clamp(view.south, -kMaxLatitude, kMaxLatitude);
    view.north = std::clamp(view.north, -kMaxLatitude, kMaxLatitude);
    // Longitudes: west to east, at most once round the world, the west
    // edge moved into -180..180 and the copy of the world remembered.
    constexpr double kFar = 1e6;
    if (!std::isfinite(view.west) || !std::isfinite(view.east) || std::fabs(view.west) > kFar ||
        std::fabs(view.east) > kFar) {
        view.west = -180;
        view.east = 180;
    }
    if (view.east < view.west)
        view.east += 360;
    if (view.east < view.west || view.east - view.west >= 360) {
        // Wider than the world: the copy of it around the view's centre.
        const double centre =
            view.east < view.west ? view.west : view.west + (view.east - view.west) / 2;
        view.west = centre - 180;
        view.east = centre + 180;
    }
    const double copy = std::floor((view.west + 180) / 360);
    view.west -= copy * 360;
    view.east -= copy * 360;

    const auto column = [&](double longitude) {
        return static_cast<std::int64_t>(
            std::floor(ProjectX(longitude) * static_cast<double>(side)));
    };
    const auto rowOf = [&](double latitude) {
        return std::clamp(
            static_cast<std::int64_t>(std::floor(ProjectY(latitude) * static_cast<double>(side))),
            std::int64_t{0}, side - 1);
    };
    std::int64_t c0 = std::max<std::int64_t>(0, column(view.west));
    std::int64_t c1 = std::min(column(view.east), c0 + side - 1);
    std::int64_t r0 = rowOf(view.north);
    std::int64_t r1 = rowOf(view.south);
    constexpr std::int64_t kSide = PlaceClusters::kMaxCellsPerSide;
    if (c1 - c0 + 1 > kSide) {
        c0 = (c0 + c1) / 2 - kSide / 2;
        c1 = c0 + kSide - 1;
    }
    if (r1 - r0 + 1 > kSide) {
        r0 = std::clamp((r0 + r1) / 2 - kSide / 2, std::int64_t{0}, side - kSide);
        r1 = r0 + kSide - 1;
    }
    const double cellDegrees = 360.0 / static_cast<double>(side);
    answer.bounds = {LatitudeOfY(static_cast<double>(r1 + 1) / static_cast<double>(side)),
                     static_cast<double>(c0) * cellDegrees - 180 + copy * 360,
                     LatitudeOfY(static_cast<double>(r0) / static_cast<double>(side)),
                     static_cast<double>(c1 + 1) * cellDegrees - 180 + copy * 360};
    if (size_ == 0)
        return answer;

    const int shift = 2 * (kAxisBits - bits);
    for (std::int64_t r = r0; r <= r1; ++r) {
        for (std::int64_t c = c0; c <= c1; ++c) {
            const std::int64_t wrapped = c % side;
            const double offset = (copy + static_cast<double>(c / side)) * 360;
            const std::uint64_t low =
                Interleave(static_cast<std::uint64_t>(wrapped), static_cast<std::uint64_t>(r))
                << shift;
            const std::uint64_t high = low | ((std::uint64_t{1} << shift) - 1);
            CellSum cell;
            for (const auto& level : levels_) {
                const auto& entries = level->entries;
                const auto from =
                    std::lower_bound(entries.begin(), entries.end(), low,
                                     [](const Entry& e, std::uint64_t key) { return e.key < key; });
                const auto to =
                    std::upper_bound(from, entries.end(), high,
                                     [](std::uint64_t key, const Entry& e) { return key < e.key; });
                if (from == to)
                    continue;
                const auto i = static_cast<std::size_t>(from - entries.begin());
                const auto j = static_cast<std::size_t>(to - entries.begin());
                const Level::Sum& a = level->prefix[i];
                const Level::Sum& b = level->prefix[j];
                cell.places += static_cast<std::uint32_t>(j - i);
                cell.occurrences += b.occurrences - a.occurrences;
                cell.latitude += b.latitude - a.latitude;
                cell.longitude += b.longitude - a.longitude;
                if (cell.first == nullptr || ByKey(*from, *cell.first))
                    cell.first = &*from;
                cell.lowKey = std::min(cell.lowKey, from->key);
                cell.highKey = std::max(cell.highKey, (to - 1)->key);
            }
            if (cell.places == 0)
                continue;
            Element element;
            element.places = cell.places;
            element.occurrences = cell.occurrences;
            element.row = cell.first->row;
            element.samePlace = cell.lowKey == cell.highKey;
            // Places at one spot show at that spot exactly, not at an
            // average a rounding away from it.
            if (cell.places == 1 || element.samePlace) {
                element.latitude = cell.first->latitude;
                element.longitude = cell.first->longitude + offset;
            } else {
                element.latitude = cell.latitude / cell.places;
                element.longitude = cell.longitude / cell.places + offset;
            }
            element.cell = {LatitudeOfY(static_cast<double>(r + 1) / static_cast<double>(side)),
                            static_cast<double>(wrapped) * cellDegrees - 180 + offset,
                            LatitudeOfY(static_cast<double>(r) / static_cast<double>(side)),
                            static_cast<double>(wrapped + 1) * cellDegrees - 180 + offset};
            answer.inView += cell.places;
            answer.elements.push_back(element);
        }
    }
    return answer;
}

} // namespace orvanta::cluster
