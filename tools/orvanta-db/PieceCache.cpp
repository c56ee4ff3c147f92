// SPDX-License-Identifier: GPL-3.0-or-later
#include "PieceCache.h"

namespace orvanta::dbtool {
namespace {

constexpr int FirstBits = 12;

} // namespace

PieceCache::PieceCache() : entries_(std::size_t(1) << FirstBits), shift_(32 - FirstBits) {}

std::string_view PieceCache::Probe(std::uint32_t key) const {
    const std::size_t mask = entries_.size() - 1;
    for (std::size_t slot = SlotOf(key);; slot = (slot + 1) & mask) {
        const Entry& entry = entries_[slot];
        if (entry.length == Absent) {
            return {};
        }
        if (entry.key == key) {
            return std::string_view(pool_.data() + entry.offset, entry.length);
        }
    }
}

std::string_view PieceCache::Insert(std::uint32_t key, std::string_view piece) {
    if (2 * (used_ + 1) > entries_.size()) {
        Grow();
    }
    const std::size_t mask = entries_.size() - 1;
    std::size_t slot = SlotOf(key);
    while (entries_[slot].length != Absent) {
        slot = (slot + 1) & mask;
    }
    const std::size_t offset = pool_.size();
    pool_.append(piece);
    entries_[slot] = {key, static_cast<std::uint32_t>(offset),
                      static_cast<std::uint32_t>(piece.size())};
    ++used_;
    return std::string_view(pool_.data() + offset, piece.size());
}

void PieceCache::Grow() {
    std::vector<Entry> old(entries_.size() * 2);
    old.swap(entries_);
    --shift_;
    const std::size_t mask = entries_.size() - 1;
    for (const Entry& entry : old) {
        if (entry.length == Absent) {
            continue;
        }
        std::size_t slot = SlotOf(entry.key);
        while (entries_[slot].length != Absent) {
            slot = (slot + 1) & mask;
        }
        entries_[slot] = entry;
    }
}

} // namespace orvanta::dbtool
