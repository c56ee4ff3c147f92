// SPDX-License-Identifier: GPL-3.0-or-later
#include "capture/EndpointTally.h"

#include <algorithm>
#include <cstring>

namespace orvanta::capture {
namespace {

constexpr std::size_t FirstSlots = 1024;

std::uint64_t Mix(std::uint64_t h) {
    h ^= h >> 29;
    h *= 0xBF58476D1CE4E5B9ULL;
    h ^= h >> 32;
    return h;
}

// Addresses differing only in their last bytes (a /24 of clients) spread
// over the slots.
std::size_t Hash4(std::uint32_t key) {
    return static_cast<std::size_t>(Mix(key * 0x9E3779B97F4A7C15ULL));
}

std::size_t Hash6(const extract::Address& a) {
    std::uint64_t high = 0;
    std::uint64_t low = 0;
    std::memcpy(&high, a.bytes.data(), 8);
    std::memcpy(&low, a.bytes.data() + 8, 8);
    return static_cast<std::size_t>(Mix(high * 0x9E3779B97F4A7C15ULL ^ low));
}

std::uint32_t Key4(const extract::Address& a) {
    std::uint32_t key = 0;
    std::memcpy(&key, a.bytes.data(), 4);
    return key;
}

} // namespace

void EndpointTally::Add(const IpEnds& ends, std::uint64_t wireLength) {
    AddMany(&ends, &wireLength, 1);
}

void EndpointTally::AddMany(const IpEnds* ends, const std::uint64_t* wireLengths,
                            std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        Prefetch(ends[i].source);
        Prefetch(ends[i].destination);
    }
    // Indexes, not references: an insertion may move the entries.
    std::uint32_t sources[kBatch];
    std::uint32_t destinations[kBatch];
    for (std::size_t i = 0; i < count; ++i) {
        sources[i] = Find(ends[i].source);
        destinations[i] =
            ends[i].source == ends[i].destination ? sources[i] : Find(ends[i].destination);
        __builtin_prefetch(&entries_[sources[i]], 1);
        __builtin_prefetch(&entries_[destinations[i]], 1);
    }
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint64_t length = wireLengths[i];
        Endpoint& source = entries_[sources[i]];
        ++source.packets;
        source.bytes += length;
        ++source.txPackets;
        source.txBytes += length;
        Endpoint& destination = entries_[destinations[i]];
        if (destinations[i] != sources[i]) {
            ++destination.packets;
            destination.bytes += length;
        }
        ++destination.rxPackets;
        destination.rxBytes += length;
    }
}

void EndpointTally::Prefetch(const extract::Address& address) const {
    if (address.v6) {
        if (!slots6_.empty()) {
            __builtin_prefetch(&slots6_[Hash6(address) & (slots6_.size() - 1)]);
        }
    } else if (!slots4_.empty()) {
        __builtin_prefetch(&slots4_[Hash4(Key4(address)) & (slots4_.size() - 1)]);
    }
}

std::uint32_t EndpointTally::Find(const extract::Address& address) {
    return address.v6 ? FindV6(address) : FindV4(Key4(address));
}

std::uint32_t EndpointTally::FindV4(std::uint32_t key) {
    if ((used4_ + 1) * 2 > slots4_.size()) {
        GrowV4();
    }
    const std::size_t mask = slots4_.size() - 1;
    for (std::size_t at = Hash4(key) & mask;; at = (at + 1) & mask) {
        const std::uint64_t slot = slots4_[at];
        if (slot == 0) {
            const auto index = static_cast<std::uint32_t>(entries_.size());
            slots4_[at] = std::uint64_t(key) << 32 | (index + 1);
            ++used4_;
            Endpoint& entry = entries_.emplace_back();
            std::memcpy(entry.address.bytes.data(), &key, 4);
            return index;
        }
        if (static_cast<std::uint32_t>(slot >> 32) == key) {
            return static_cast<std::uint32_t>(slot) - 1;
        }
    }
}

std::uint32_t EndpointTally::FindV6(const extract::Address& address) {
    if ((used6_ + 1) * 2 > slots6_.size()) {
        GrowV6();
    }
    const std::size_t mask = slots6_.size() - 1;
    for (std::size_t at = Hash6(address) & mask;; at = (at + 1) & mask) {
        const std::uint32_t slot = slots6_[at];
        if (slot == 0) {
            const auto index = static_cast<std::uint32_t>(entries_.size());
            slots6_[at] = index + 1;
            ++used6_;
            entries_.emplace_back().address = address;
            return index;
        }
        if (entries_[slot - 1].address == address) {
            return slot - 1;
        }
    }
}

void EndpointTally::GrowV4() {
    std::vector<std::uint64_t> slots(std::max(slots4_.size() * 2, FirstSlots), 0);
    const std::size_t mask = slots.size() - 1;
    for (std::uint64_t slot : slots4_) {
        if (slot == 0) {
            continue;
        }
        std::size_t at = Hash4(static_cast<std::uint32_t>(slot >> 32)) & mask;
        while (slots[at] != 0) {
            at = (at + 1) & mask;
        }
        slots[at] = slot;
    }
    slots4_.swap(slots);
}

void EndpointTally::GrowV6() {
    std::vector<std::uint32_t> slots(std::max(slots6_.size() * 2, FirstSlots), 0);
    const std::size_t mask = slots.size() - 1;
    for (std::uint32_t slot : slots6_) {
        if (slot == 0) {
            continue;
        }
        std::size_t at = Hash6(entries_[slot - 1].address) & mask;
        while (slots[at] != 0) {
            at = (at + 1) & mask;
        }
        slots[at] = slot;
    }
    slots6_.swap(slots);
}

} // namespace orvanta::capture
