// SPDX-License-Identifier: GPL-3.0-or-later
#include "geoipwriter/AsnRange.h"

#include "geoip/TextRecord.h"

#include <algorithm>
#include <queue>

namespace orvanta::geoip {
namespace {

constexpr AddressValue Highest = ~AddressValue(0);

struct Active {
    AddressValue width; // last - first
    std::size_t order;  // position in the input, for ties
    std::size_t index;  // into the sorted ranges
};

struct WiderLater {
    bool operator()(const Active& a, const Active& b) const {
        return a.width != b.width ? a.width > b.width : a.order > b.order;
    }
};

void Append(std::vector<AsnRange>& out, AddressValue first, AddressValue last, std::uint32_t text) {
    if (!out.empty() && out.back().textIndex == text && out.back().last + 1 == first) {
        out.back().last = last;
        return;
    }
    out.push_back({first, last, text});
}

} // namespace

std::uint32_t AsnRangeSet::TextIndex(const std::string& text) {
    auto [entry, added] = known_.try_emplace(text, static_cast<std::uint32_t>(texts.size()));
    if (added) {
        texts.push_back(text);
    }
    return entry->second;
}

FittedText AsnRecordText(std::uint32_t number, std::string_view organization) {
    FittedText fitted{JoinAsnText(number, organization), false};
    if (fitted.text.size() < TextRecordWindow) {
        return fitted;
    }
    std::size_t size = TextRecordWindow - 1;
    // Back to the start of a character: continuation bytes are 10xxxxxx.
    while (size > 0 && (static_cast<unsigned char>(fitted.text[size]) & 0xC0) == 0x80) {
        --size;
    }
    fitted.text.resize(size);
    while (!fitted.text.empty() && fitted.text.back() == ' ') {
        fitted.text.pop_back();
    }
    fitted.shortened = true;
    return fitted;
}

std::vector<AsnRange> ResolveOverlaps(std::vector<AsnRange> ranges) {
    std::vector<std::size_t> order(ranges.size());
    for (std::size_t i = 0; i < order.size(); ++i) {
        order[i] = i;
    }
    std::stable_sort(order.begin(), order.end(), [&ranges](std::size_t a, std::size_t b) {
        return ranges[a].first < ranges[b].first;
    });
    // A sweep from low to high addresses: the narrowest range still open
    // answers until it ends or the next range starts.
    std::priority_queue<Active, std::vector<Active>, WiderLater> open;
    std::vector<AsnRange> out;
    std::size_t next = 0;
    AddressValue at = 0;
    while (next < order.size() || !open.empty()) {
        if (open.empty()) {
            at = std::max(at, ranges[order[next]].first);
        }
        while (next < order.size() && ranges[order[next]].first <= at) {
            const AsnRange& range = ranges[order[next]];
            open.push({range.last - range.first, order[next], order[next]});
            ++next;
        }
        while (!open.empty() && ranges[open.top().index].last < at) {
            open.pop();
        }
        if (open.empty()) {
            continue;
        }
        const AsnRange& top = ranges[open.top().index];
        AddressValue end = top.last;
        if (next < order.size() && ranges[order[next]].first - 1 < end) {
            end = ranges[order[next]].first - 1;
        }
        Append(out, at, end, top.textIndex);
        if (end == Highest) {
            break;
        }
        at = end + 1;
    }
    return out;
}

} // namespace orvanta::geoip
