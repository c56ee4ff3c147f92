// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The places of the map's layer of many places, clustered on a thread of
// their own: the window hands over the places of each piece of rows it
// took and is told the count and extent of the places now represented, at
// most every kEveryMs while places arrive and once more when they are all
// in. The map page asks the clusters for its view itself
// (TPlacesResponder); this only tells it when to ask.
//
//     TPlacesFeed feed;
//     feed.onChanged = [&](std::size_t total, bool finished, Bounds extent) { ... };
//     feed.Add(std::move(places));
//     feed.Finish();
#include "cluster/PlaceClusters.h"

#include <QObject>
#include <QTimer>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class TPlacesFeed : public QObject {
public:
    static constexpr int kEveryMs = 250;

    explicit TPlacesFeed(QObject* parent = nullptr);
    ~TPlacesFeed() override;

    // Places of list rows (`row` is the list's).
    void Add(std::vector<orvanta::cluster::PlaceIn>&& places);
    // No more places for now: onChanged tells finished once all are in.
    void Finish();
    // Forgets every place, also those on their way.
    void Clear();
    // What the map page's view requests are answered from.
    std::shared_ptr<const orvanta::cluster::PlaceIndex> Snapshot() const {
        return clusters_.Snapshot();
    }

    std::function<void(std::size_t total, bool finished, orvanta::cluster::Bounds extent)>
        onChanged;

private:
    struct Piece {
        std::vector<orvanta::cluster::PlaceIn> places;
        bool finish = false;
        std::uint64_t epoch = 0; // of the clusters, when handed over
    };
    void Work();
    void Tell(bool finished);

    orvanta::cluster::PlaceClusters clusters_;
    std::mutex lock_;
    std::condition_variable wake_;
    std::deque<Piece> pieces_;
    bool quit_ = false;
    QTimer pause_;
    bool changed_ = false; // window thread: a change not yet told
    std::thread worker_;
};
