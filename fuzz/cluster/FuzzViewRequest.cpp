// SPDX-License-Identifier: GPL-3.0-or-later
// Any query the map page could send: read, answered from a small index of
// places, turned into JSON; the answer stays within its bounds.
#include "cluster/PlaceClusters.h"
#include "cluster/ViewRequest.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

namespace {

const orvanta::cluster::PlaceIndex& Index() {
    static const auto snapshot = [] {
        orvanta::cluster::PlaceClusters made;
        std::vector<orvanta::cluster::PlaceIn> places;
        for (int i = 0; i < 2000; ++i)
            places.push_back(
                {(i % 181) - 90.0, (i * 7 % 361) - 180.0, static_cast<std::uint32_t>(i), 1});
        places.push_back({47.37, 8.54, 2000, 1});
        places.push_back({47.37, 8.54, 2001, 1});
        made.Add(places);
        return made.Snapshot();
    }();
    return *snapshot;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view query(reinterpret_cast<const char*>(data), size);
    const orvanta::cluster::ViewRequest request = orvanta::cluster::ParseViewRequest(query);
    const orvanta::cluster::ViewAnswer answer = Index().Query(request.bounds, request.zoom);
    if (answer.elements.size() > orvanta::cluster::PlaceClusters::kMaxCells ||
        answer.inView > Index().Size() || answer.zoom < 0 ||
        answer.zoom > orvanta::cluster::PlaceClusters::kMaxZoom)
        std::abort();
    const std::string json = orvanta::cluster::ViewAnswerJson(answer);
    if (json.empty() || json.front() != '{' || json.back() != '}')
        std::abort();
    return 0;
}
