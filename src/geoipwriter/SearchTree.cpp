#include "geoipwriter/SearchTree.h"

#include "geoipwriter/WriteError.h"

#include <bit>

namespace orvanta::geoip {

SearchTree::SearchTree() : children_(2, Empty) {}

void SearchTree::AddBlock(std::uint32_t prefix, int length, std::uint32_t recordId) {
    std::uint32_t node = 0;
    for (int depth = 0; depth < length - 1; ++depth) {
        const std::uint32_t bit = (prefix >> (31 - depth)) & 1U;
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
    const std::uint32_t bit = (prefix >> (32 - length)) & 1U;
    std::uint32_t& leaf = children_[2 * static_cast<std::size_t>(node) + bit];
    if (leaf != Empty) {
        throw WriteError("internal error: overlapping blocks reached the tree");
    }
    leaf = RecordTag | recordId;
}

std::size_t SearchTree::SplitRange(std::uint32_t first, std::uint32_t last,
                                   const std::function<void(std::uint32_t, int)>& block) {
    std::size_t count = 0;
    std::uint64_t start = first;
    const std::uint64_t end = static_cast<std::uint64_t>(last) + 1;
    while (start < end) {
        // The largest block aligned at `start` that stays inside the range,
        // never larger than half the address space.
        int sizeBits = start == 0 ? 31 : std::min(31, std::countr_zero(start));
        while ((std::uint64_t{1} << sizeBits) > end - start) {
            --sizeBits;
        }
        block(static_cast<std::uint32_t>(start), 32 - sizeBits);
        start += std::uint64_t{1} << sizeBits;
        ++count;
    }
    return count;
}

} // namespace orvanta::geoip
