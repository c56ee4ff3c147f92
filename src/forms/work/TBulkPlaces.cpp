// SPDX-License-Identifier: GPL-3.0-or-later
#include "forms/work/TBulkPlaces.h"

#include <algorithm>
#include <iterator>

TBulkPlaces::TBulkPlaces(std::function<void(const std::string&)> post, QObject* parent)
    : QObject(parent), post_(std::move(post)) {
    pause_.setSingleShot(true);
    pause_.setInterval(kEveryMs);
    connect(&pause_, &QTimer::timeout, this, [this] {
        if (!waiting_.empty()) {
            Send();
            pause_.start();
        }
    });
}

void TBulkPlaces::Add(std::vector<orvanta::map::PlaceMark>&& marks) {
    waiting_.insert(waiting_.end(), std::make_move_iterator(marks.begin()),
                    std::make_move_iterator(marks.end()));
    if (!pause_.isActive()) {
        Send();
        pause_.start();
    }
}

void TBulkPlaces::Flush() {
    Send();
}

void TBulkPlaces::Drop() {
    waiting_.clear();
    pause_.stop();
}

void TBulkPlaces::Send() {
    std::vector<orvanta::map::PlaceMark> marks;
    marks.swap(waiting_);
    for (std::size_t at = 0; at < marks.size(); at += kPerCall) {
        const auto first = marks.begin() + static_cast<std::ptrdiff_t>(at);
        const auto last =
            marks.begin() + static_cast<std::ptrdiff_t>(std::min(marks.size(), at + kPerCall));
        post_(orvanta::map::placesAddCall({first, last}));
    }
}
