// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Formatted pieces of output kept per key, for keys of which there are few
// enough to keep them all (the organisation records of a file): an
// open-addressed table of where each piece lies in one pool of text. Nothing
// is ever evicted, so a key seen once is never formatted again, and a hit
// costs one table entry and one piece of the pool, both of which a caller
// can fetch ahead for a batch.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace orvanta::dbtool {

class PieceCache {
public:
    PieceCache();

    // The piece of `key`; nothing (a null data pointer) when it has none yet.
    std::string_view Find(std::uint32_t key) const {
        const Entry& entry = entries_[SlotOf(key)];
        return entry.length != Absent && entry.key == key
                   ? std::string_view(pool_.data() + entry.offset, entry.length)
                   : Probe(key);
    }
    // Keeps `piece` as the piece of `key` (which has none) and returns it.
    std::string_view Insert(std::uint32_t key, std::string_view piece);
    // Asks the processor for the entry of `key`, and once the entry is there,
    // for its piece.
    void PrefetchEntry(std::uint32_t key) const { __builtin_prefetch(&entries_[SlotOf(key)]); }
    void PrefetchPiece(std::uint32_t key) const {
        const Entry& entry = entries_[SlotOf(key)];
        if (entry.length != Absent && entry.key == key) {
            __builtin_prefetch(pool_.data() + entry.offset);
        }
    }
    std::size_t size() const { return used_; }

private:
    static constexpr std::uint32_t Absent = 0xFFFFFFFFu;
    struct Entry {
        std::uint32_t key = 0;
        std::uint32_t offset = 0;
        std::uint32_t length = Absent;
    };
    std::size_t SlotOf(std::uint32_t key) const {
        return static_cast<std::size_t>((key * 0x9E3779B1u) >> shift_);
    }
    std::string_view Probe(std::uint32_t key) const;
    void Grow();

    std::vector<Entry> entries_; // a power of two, at most half used
    int shift_ = 0;
    std::size_t used_ = 0;
    std::string pool_;
};

} // namespace orvanta::dbtool
