// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The search tree of an in-memory database image, walked for one address or
// for many at once. The levels every lookup walks are answered from a table
// of where the walk stands after the first TopBits bits; many walks go down
// side by side, each fetching its next node ahead, so the memory waits of
// one overlap those of the others. Addresses are std::uint32_t for IPv4
// trees and AddressValue for IPv6 ones; the answers are those of
// WalkSearchTree either way.

#include "geoip/DatabaseImageBytes.h"
#include "geoip/TreeWalk.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace orvanta::geoip {

class ImageTree {
    // The child values as the walk fetches them (defined first: the walks
    // below deduce its type).
    auto Child() const {
        return
            [this](std::uint32_t node, int side) { return bytes_.Child(node, side, valueBytes_); };
    }

public:
    static constexpr int TopBits = 16;
    static constexpr std::size_t MaxBatch = 64;

    ImageTree(const DatabaseImageBytes& bytes, std::uint32_t boundary, std::int32_t valueBytes,
              int depth)
        : bytes_(bytes), boundary_(boundary), valueBytes_(valueBytes), depth_(depth) {
        top_.resize(std::size_t(1) << TopBits);
        // An entry below the boundary is the node the walk reaches after
        // TopBits bits; at or above it, the walk ended there.
        for (std::uint32_t prefix = 0; prefix < top_.size(); ++prefix) {
            TreeWalkResult walk;
            for (int level = 0; level < TopBits; ++level) {
                const int side = (prefix >> (TopBits - 1 - level)) & 1;
                walk.value = bytes_.Child(walk.value, side, valueBytes_);
                walk.prefixLength = level + 1;
                if (walk.value >= boundary_) {
                    break;
                }
            }
            top_[prefix] = walk;
        }
    }

    template <class Address> TreeWalkResult Walk(Address address) const {
        const TreeWalkResult top = Top(address);
        if (top.value >= boundary_) {
            return top;
        }
        return WalkSearchTree(address, depth_, boundary_, Child(), top);
    }

    // Walk for many addresses; `walks[i]` answers `addresses[i]`.
    template <class Address>
    void WalkMany(const Address* addresses, std::size_t count, TreeWalkResult* walks) const {
        for (std::size_t start = 0; start < count; start += MaxBatch) {
            WalkBatch(addresses + start, std::min(MaxBatch, count - start), walks + start);
        }
    }

    std::uint32_t boundary() const { return boundary_; }

private:
    template <class Address> TreeWalkResult Top(Address address) const {
        return top_[static_cast<std::size_t>(address >> (depth_ - TopBits))];
    }

    void PrefetchNode(std::uint32_t node) const {
        bytes_.Prefetch(static_cast<std::int64_t>(node) * 2 * valueBytes_);
    }

    template <class Address>
    void WalkBatch(const Address* addresses, std::size_t count, TreeWalkResult* walks) const {
        std::size_t open = 0; // walks still going, moved to the front of `order`
        std::uint32_t order[MaxBatch];
        for (std::size_t i = 0; i < count; ++i) {
            walks[i] = Top(addresses[i]);
            if (walks[i].value < boundary_) {
                order[open++] = static_cast<std::uint32_t>(i);
                PrefetchNode(walks[i].value);
            }
        }
        for (int bit = depth_ - 1 - TopBits; bit >= 0 && open > 0; --bit) {
            std::size_t still = 0;
            for (std::size_t k = 0; k < open; ++k) {
                const std::uint32_t i = order[k];
                const std::uint32_t value = bytes_.Child(
                    walks[i].value, static_cast<int>((addresses[i] >> bit) & 1U), valueBytes_);
                if (value >= boundary_) {
                    walks[i] = {value, depth_ - bit};
                    continue;
                }
                walks[i].value = value;
                order[still++] = i;
                PrefetchNode(value);
            }
            open = still;
        }
        for (std::size_t k = 0; k < open; ++k) {
            walks[order[k]] = {0, depth_}; // through every bit: a damaged tree
        }
    }

    const DatabaseImageBytes& bytes_;
    std::uint32_t boundary_;
    std::int32_t valueBytes_;
    int depth_;
    std::vector<TreeWalkResult> top_;
};

} // namespace orvanta::geoip
