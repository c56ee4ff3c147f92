// SPDX-License-Identifier: GPL-3.0-or-later
#include "extract/AddressTally.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace orvanta::extract {

std::uint64_t AddressTally::Hash(const Address& a) noexcept {
    std::uint64_t high = 0;
    std::uint64_t low = 0;
    std::memcpy(&high, a.bytes.data(), 8);
    std::memcpy(&low, a.bytes.data() + 8, 8);
    // Mixed so that addresses differing only in their last bytes (a /24 of
    // clients) spread over the buckets.
    std::uint64_t h = high * 0x9E3779B97F4A7C15ULL ^ (low + (a.v6 ? 1 : 0));
    h ^= h >> 29;
    h *= 0xBF58476D1CE4E5B9ULL;
    h ^= h >> 32;
    return h;
}

namespace {

// Two addresses alike: two words compared in place, where comparing the
// arrays byte-wise called memcmp for each probe of a log of millions.
bool Same(const Address& a, const Address& b) {
    std::uint64_t a0 = 0, a1 = 0, b0 = 0, b1 = 0;
    std::memcpy(&a0, a.bytes.data(), 8);
    std::memcpy(&a1, a.bytes.data() + 8, 8);
    std::memcpy(&b0, b.bytes.data(), 8);
    std::memcpy(&b1, b.bytes.data() + 8, 8);
    return a0 == b0 && a1 == b1 && a.v6 == b.v6;
}

} // namespace

void AddressTally::Add(const Address& address) {
    Add(address, 1);
}

void AddressTally::Merge(const AddressTally& later) {
    Reserve(later.entries_.size());
    const TallyVector<Tallied>& in = later.entries_;
    for (std::size_t from = 0; from < in.size(); from += kAhead) {
        const std::size_t n = std::min(kAhead, in.size() - from);
        FetchAhead(n, [&](std::size_t i) -> const Address& { return in[from + i].address; });
        for (std::size_t i = 0; i < n; ++i)
            Add(in[from + i].address, in[from + i].count);
    }
}

template <class AddressAt> void AddressTally::FetchAhead(std::size_t n, AddressAt addressAt) {
    // A distinct address in a log of millions is a miss in the slots and
    // another in the entries; fetched for a batch ahead, the misses wait
    // side by side instead of one after the other.
    std::array<std::size_t, kAhead> at{};
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t i = 0; i < n; ++i) {
        at[i] = static_cast<std::size_t>(Hash(addressAt(i))) & mask;
        __builtin_prefetch(&slots_[at[i]]);
    }
    for (std::size_t i = 0; i < n; ++i)
        if (const std::uint32_t slot = slots_[at[i]]; slot != 0)
            __builtin_prefetch(&entries_[slot - 1]);
}

void AddressTally::Add(const Address& address, std::uint64_t count) {
    if ((entries_.size() + 1) * 2 > slots_.size())
        Grow();
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t at = static_cast<std::size_t>(Hash(address)) & mask;; at = (at + 1) & mask) {
        const std::uint32_t slot = slots_[at];
        if (slot == 0) {
            slots_[at] = static_cast<std::uint32_t>(entries_.size() + 1);
            entries_.push_back({address, count});
            return;
        }
        Tallied& entry = entries_[slot - 1];
        if (Same(entry.address, address)) {
            entry.count += count;
            return;
        }
    }
}

void AddressTally::Reserve(std::size_t more) {
    while ((entries_.size() + more) * 2 > slots_.size())
        Grow();
}

void AddressTally::Add(std::span<const Address> addresses) {
    Reserve(addresses.size());
    while (!addresses.empty()) {
        const std::size_t n = std::min(kAhead, addresses.size());
        FetchAhead(n, [&](std::size_t i) -> const Address& { return addresses[i]; });
        for (std::size_t i = 0; i < n; ++i)
            Add(addresses[i]);
        addresses = addresses.subspan(n);
    }
}

void AddressTally::Grow() {
    TallyVector<std::uint32_t> slots(std::max<std::size_t>(slots_.size() * 2, 1024), 0);
    const std::size_t mask = slots.size() - 1;
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        std::size_t at = static_cast<std::size_t>(Hash(entries_[i].address)) & mask;
        while (slots[at] != 0)
            at = (at + 1) & mask;
        slots[at] = static_cast<std::uint32_t>(i + 1);
    }
    slots_.swap(slots);
}

} // namespace orvanta::extract
