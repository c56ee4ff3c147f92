// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The binary search tree of a database under construction, as a flat array
// of child values (two per node, node 0 the root) so that millions of blocks
// cost 8 bytes per node and no allocation per node. The tree has as many
// levels as the addresses have bits: 32 for IPv4, 128 for IPv6.

#include "geoip/AddressValue.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace orvanta::geoip {

class SearchTree {
public:
    // Child values while building: a node number, a record id with RecordTag
    // set, or Empty (an address no range covers).
    static constexpr std::uint32_t Empty = 0xFFFFFFFF;
    static constexpr std::uint32_t RecordTag = 0x80000000;

    explicit SearchTree(int depth = 32);

    // Makes every address of the aligned block `prefix`/`length` (1 to the
    // depth) lead to `recordId`. Blocks must not overlap each other.
    void AddBlock(AddressValue prefix, int length, std::uint32_t recordId);

    std::size_t NodeCount() const { return children_.size() / 2; }
    const std::vector<std::uint32_t>& Children() const { return children_; }

    // Calls `block(prefix, length)` for each of the fewest aligned blocks that
    // make up [first, last] in an address space of `depth` bits; the whole
    // space gives two /1 blocks, since the root itself cannot be a terminal
    // value. Returns the count.
    static std::size_t SplitRange(AddressValue first, AddressValue last, int depth,
                                  const std::function<void(AddressValue, int)>& block);
    // The same for the IPv4 space.
    static std::size_t SplitRange(std::uint32_t first, std::uint32_t last,
                                  const std::function<void(std::uint32_t, int)>& block);

private:
    int depth_;
    std::vector<std::uint32_t> children_;
};

} // namespace orvanta::geoip
