// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The markers of a many-address run on their way to the map page: the
// first batch goes at once, later ones are gathered and sent at most every
// kEveryMs, each call holding at most kPerCall places. A page that can not
// keep up with a call per batch would otherwise queue dozens of them, each
// redrawing the clusters, and fall seconds behind the list.
#include "map/PlacesCalls.h"

#include <QObject>
#include <QTimer>
#include <functional>
#include <string>
#include <vector>

class TBulkPlaces : public QObject {
public:
    static constexpr int kEveryMs = 250;
    static constexpr std::size_t kPerCall = 10000;

    // `post` hands one script call to the page.
    explicit TBulkPlaces(std::function<void(const std::string&)> post, QObject* parent = nullptr);

    void Add(std::vector<orvanta::map::PlaceMark>&& marks);
    // Sends what waits now, as the run ends.
    void Flush();
    // Forgets what waits, as the list is emptied.
    void Drop();

private:
    void Send();

    std::function<void(const std::string&)> post_;
    std::vector<orvanta::map::PlaceMark> waiting_;
    QTimer pause_;
};
