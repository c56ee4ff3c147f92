// SPDX-License-Identifier: GPL-3.0-or-later
#include "geoip/AsnDatabaseImage.h"

#include "geoip/AsnDatabase.h"
#include "geoip/TextRecord.h"

#include <algorithm>
#include <cstring>

namespace orvanta::geoip {

AsnDatabaseImage::AsnDatabaseImage(const std::string& fileName, int treeDepth)
    : bytes_(fileName), treeDepth_(treeDepth) {
    const EditionBlock block = bytes_.ReadEditionBlock(treeDepth_);
    edition_ = block.edition;
    boundary_ = TextEditionBoundary(edition_, treeDepth_, block.segments);
    valueBytes_ = block.recordLength;
    if (boundary_ != 0) {
        tree_.emplace(bytes_, boundary_, valueBytes_, treeDepth_);
    }
}

std::uint32_t AsnDatabaseImage::Terminal(AddressValue address) const {
    if (!tree_) {
        return 0;
    }
    // Bits above the tree's depth are no part of the address; they must not
    // pick an entry past the table of top levels.
    const std::uint32_t value = tree_->Walk(address & LowBits(treeDepth_)).value;
    return value > boundary_ ? value : 0;
}

void AsnDatabaseImage::TerminalMany(const AddressValue* addresses, std::size_t count,
                                    std::uint32_t* terminals) const {
    if (!tree_) {
        std::fill(terminals, terminals + count, 0);
        return;
    }
    TreeWalkResult walks[ImageTree::MaxBatch];
    AddressValue batch[ImageTree::MaxBatch];
    for (std::size_t start = 0; start < count; start += ImageTree::MaxBatch) {
        const std::size_t n = std::min(ImageTree::MaxBatch, count - start);
        for (std::size_t i = 0; i < n; ++i) {
            batch[i] = addresses[start + i] & LowBits(treeDepth_);
        }
        tree_->WalkMany(batch, n, walks);
        for (std::size_t i = 0; i < n; ++i) {
            terminals[start + i] = walks[i].value > boundary_ ? walks[i].value : 0;
        }
    }
}

void AsnDatabaseImage::TerminalMany(const std::uint32_t* addresses, std::size_t count,
                                    std::uint32_t* terminals) const {
    if (!tree_ || treeDepth_ != 32) {
        std::fill(terminals, terminals + count, 0);
        return;
    }
    TreeWalkResult walks[ImageTree::MaxBatch];
    for (std::size_t start = 0; start < count; start += ImageTree::MaxBatch) {
        const std::size_t n = std::min(ImageTree::MaxBatch, count - start);
        tree_->WalkMany(addresses + start, n, walks);
        for (std::size_t i = 0; i < n; ++i) {
            terminals[start + i] = walks[i].value > boundary_ ? walks[i].value : 0;
        }
    }
}

std::optional<std::string_view> AsnDatabaseImage::TextOf(std::uint32_t terminal) const {
    if (boundary_ == 0 || terminal <= boundary_) {
        return std::nullopt;
    }
    const std::int64_t position = static_cast<std::int64_t>(terminal) +
                                  static_cast<std::int64_t>(2 * valueBytes_ - 1) * boundary_;
    std::size_t got = TextRecordWindow;
    const std::uint8_t* start = bytes_.Window(position, got);
    if (start == nullptr) {
        // Near the end of the file the window shrinks to what it holds, so a
        // text just before the end is still found.
        std::uint8_t copy[TextRecordWindow];
        got = bytes_.ReadAt(position, copy, sizeof copy);
        start = got > 0 ? bytes_.Window(position, got) : nullptr;
    }
    if (start == nullptr) {
        return std::nullopt;
    }
    const void* end = std::memchr(start, 0, got);
    if (end == nullptr) {
        return std::nullopt;
    }
    return std::string_view(
        reinterpret_cast<const char*>(start),
        static_cast<std::size_t>(static_cast<const std::uint8_t*>(end) - start));
}

std::optional<std::string_view> AsnDatabaseImage::Lookup(AddressValue address) const {
    const std::uint32_t terminal = Terminal(address);
    return terminal == 0 ? std::nullopt : TextOf(terminal);
}

} // namespace orvanta::geoip
