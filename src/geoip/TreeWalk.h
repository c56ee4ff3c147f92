// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The search tree walk of every edition: from the root, one address bit per
// level, most significant first, until a child value at or above the segment
// boundary ends it. The depth (32 or 128) is the only difference between the
// families; how a node's child value is fetched is the caller's (a positioned
// read, or an in-memory image).

#include "geoip/AddressValue.h"

#include <cstdint>

namespace orvanta::geoip {

struct TreeWalkResult {
    std::uint32_t value = 0; // terminal value; 0 for a walk through every bit
    int prefixLength = 0;    // address bits the walk used
};

// `child(node, side)` gives the child value of `node` for a 0 (side 0) or 1
// bit. The walk may start further down: at node `from.value` after
// `from.prefixLength` bits, as a cache of the top levels gives it.
template <class ChildFunction>
TreeWalkResult WalkSearchTree(AddressValue address, int depth, std::uint32_t boundary,
                              ChildFunction&& child, TreeWalkResult from = {}) {
    std::uint32_t node = from.value;
    for (int bit = depth - 1 - from.prefixLength; bit >= 0; --bit) {
        const std::uint32_t value = child(node, static_cast<int>((address >> bit) & 1U));
        if (value >= boundary) {
            return {value, depth - bit};
        }
        node = value;
    }
    return {0, depth};
}

} // namespace orvanta::geoip
