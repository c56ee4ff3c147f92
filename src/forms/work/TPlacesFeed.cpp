// SPDX-License-Identifier: GPL-3.0-or-later
#include "forms/work/TPlacesFeed.h"

#include "forms/support/BackgroundThread.h"
#include "memory/LargePages.h"

TPlacesFeed::TPlacesFeed(QObject* parent) : QObject(parent) {
    pause_.setSingleShot(true);
    pause_.setInterval(kEveryMs);
    connect(&pause_, &QTimer::timeout, this, [this] {
        if (changed_)
            Tell(false);
    });
    worker_ = std::thread([this] { Work(); });
}

TPlacesFeed::~TPlacesFeed() {
    {
        std::lock_guard guard(lock_);
        quit_ = true;
    }
    wake_.notify_one();
    worker_.join();
}

void TPlacesFeed::Add(std::vector<orvanta::cluster::PlaceIn>&& places) {
    if (places.empty())
        return;
    {
        std::lock_guard guard(lock_);
        pieces_.push_back({std::move(places), false, clusters_.Epoch()});
    }
    wake_.notify_one();
}

void TPlacesFeed::Finish() {
    {
        std::lock_guard guard(lock_);
        pieces_.push_back({{}, true, clusters_.Epoch()});
    }
    wake_.notify_one();
}

void TPlacesFeed::Clear() {
    {
        std::lock_guard guard(lock_);
        pieces_.clear();
        clusters_.Clear();
    }
    pause_.stop();
    changed_ = false;
}

void TPlacesFeed::Tell(bool finished) {
    changed_ = false;
    const auto index = clusters_.Snapshot();
    if (onChanged)
        onChanged(index->Size(), finished, index->Extent());
    if (!finished)
        pause_.start();
}

void TPlacesFeed::Work() {
    YieldToWindow();
    for (;;) {
        Piece piece;
        {
            std::unique_lock guard(lock_);
            wake_.wait(guard, [this] { return quit_ || !pieces_.empty(); });
            if (quit_)
                return;
            piece = std::move(pieces_.front());
            pieces_.pop_front();
        }
        if (!piece.finish) {
            clusters_.Add(piece.places, piece.epoch);
            piece.places = {};
        }
        // Told on the window's thread; a piece handed over before a Clear
        // tells nothing.
        QMetaObject::invokeMethod(
            this,
            [this, epoch = piece.epoch, finish = piece.finish] {
                if (epoch != clusters_.Epoch())
                    return;
                if (finish) {
                    pause_.stop();
                    // The run's memory kept for reuse while it went on
                    // goes back to the system.
                    orvanta::memory::ReleaseKept();
                    Tell(true);
                } else if (!pause_.isActive()) {
                    Tell(false);
                } else {
                    changed_ = true;
                }
            },
            Qt::QueuedConnection);
    }
}
