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
    if (ends.source == ends.destination) {
        Endpoint& both = Find(ends.source);
        ++both.packets;
        both.bytes += wireLength;
        ++both.txPackets;
        both.txBytes += wireLength;
        ++both.rxPackets;
        both.rxBytes += wireLength;
        return;
    }
    // The second find may move the entries: count the first one first.
    Endpoint& source = Find(ends.source);
    ++source.packets;
    source.bytes += wireLength;
    ++source.txPackets;
    source.txBytes += wireLength;
    Endpoint& destination = Find(ends.destination);
    ++destination.packets;
    destination.bytes += wireLength;
    ++destination.rxPackets;
    destination.rxBytes += wireLength;
}

Endpoint& EndpointTally::Find(const extract::Address& address) {
    return address.v6 ? FindV6(address) : FindV4(Key4(address));
}

Endpoint& EndpointTally::FindV4(std::uint32_t key) {
    if ((used4_ + 1) * 2 > slots4_.size()) {
        GrowV4();
    }
    const std::size_t mask = slots4_.size() - 1;
    for (std::size_t at = Hash4(key) & mask;; at = (at + 1) & mask) {
        const std::uint64_t slot = slots4_[at];
        if (slot == 0) {
            slots4_[at] = std::uint64_t(key) << 32 | (entries_.size() + 1);
            ++used4_;
            Endpoint& entry = entries_.emplace_back();
            std::memcpy(entry.address.bytes.data(), &key, 4);
            return entry;
        }
        if (static_cast<std::uint32_t>(slot >> 32) == key) {
            return entries_[static_cast<std::uint32_t>(slot) - 1];
        }
    }
}

Endpoint& EndpointTally::FindV6(const extract::Address& address) {
    if ((used6_ + 1) * 2 > slots6_.size()) {
        GrowV6();
    }
    const std::size_t mask = slots6_.size() - 1;
    for (std::size_t at = Hash6(address) & mask;; at = (at + 1) & mask) {
        const std::uint32_t slot = slots6_[at];
        if (slot == 0) {
            slots6_[at] = static_cast<std::uint32_t>(entries_.size() + 1);
            ++used6_;
            Endpoint& entry = entries_.emplace_back();
            entry.address = address;
            return entry;
        }
        if (entries_[slot - 1].address == address) {
            return entries_[slot - 1];
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
