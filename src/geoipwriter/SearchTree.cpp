// SPDX-License-Identifier: GPL-3.0-or-later
#include "geoipwriter/SearchTree.h"

#include "geoipwriter/WriteError.h"

#include <algorithm>
#include <bit>

namespace orvanta::geoip {
namespace {

int TrailingZeros(AddressValue value) {
    const auto low = static_cast<std::uint64_t>(value);
    return low != 0 ? std::countr_zero(low)
                    : 64 + std::countr_zero(static_cast<std::uint64_t>(value >> 64));
}

} // namespace

SearchTree::SearchTree(int depth) : depth_(depth), children_(2, Empty) {}

void SearchTree::AddBlock(AddressValue prefix, int length, std::uint32_t recordId) {
    std::uint32_t node = 0;
    for (int depth = 0; depth < length - 1; ++depth) {
        const auto bit = static_cast<std::uint32_t>((prefix >> (depth_ - 1 - depth)) & 1U);
        std::uint32_t& child = children_[2 * static_cast<std::size_t>(node) + bit];
        if (child == Empty) {
            child = static_cast<std::uint32_t>(NodeCount());
            // `child` may dangle once the array grows; node numbers do not.
            node = child;
            children_.push_back(Empty);
            children_.push_back(Empty);
        } else if (child & RecordTag) {
            throw WriteError("internal error: overlapping blocks reached the tree");
        } else {
            node = child;
        }
    }
    const auto bit = static_cast<std::uint32_t>((prefix >> (depth_ - length)) & 1U);
    std::uint32_t& leaf = children_[2 * static_cast<std::size_t>(node) + bit];
    if (leaf != Empty) {
        throw WriteError("internal error: overlapping blocks reached the tree");
    }
    leaf = RecordTag | recordId;
}

std::size_t SearchTree::SplitRange(AddressValue first, AddressValue last, int depth,
                                   const std::function<void(AddressValue, int)>& block) {
    std::size_t count = 0;
    AddressValue start = first;
    // `remaining` is the range's size less one, so the whole 128-bit space
    // needs no number past the top.
    for (;;) {
        const AddressValue remaining = last - start;
        // The largest block aligned at `start` that stays inside the range,
        // never larger than half the address space.
        int sizeBits = start == 0 ? depth - 1 : std::min(depth - 1, TrailingZeros(start));
        while (sizeBits > 0 && LowBits(sizeBits) > remaining) {
            --sizeBits;
        }
        block(start, depth - sizeBits);
        ++count;
        if (LowBits(sizeBits) == remaining) {
            return count;
        }
        start += AddressValue{1} << sizeBits;
    }
}

std::size_t SearchTree::SplitRange(std::uint32_t first, std::uint32_t last,
                                   const std::function<void(std::uint32_t, int)>& block) {
    return SplitRange(first, last, 32, [&block](AddressValue prefix, int length) {
        block(static_cast<std::uint32_t>(prefix), length);
    });
}

} // namespace orvanta::geoip
