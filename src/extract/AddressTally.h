// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Every distinct address once, in the order first seen, with how often it
// occurred. A fixed amount of memory per distinct address (the address,
// its count and one hash entry), however often it occurs.
#include "extract/AddressScanner.h"
#include "memory/LargePages.h"

#include <cstdint>
#include <span>
#include <vector>

namespace orvanta::extract {

struct Tallied {
    Address address;
    std::uint64_t count = 0;
};

// Large pages: a tally of a million addresses is tens of megabytes, fresh
// on every run.
template <class T> using TallyVector = std::vector<T, memory::LargePageAllocator<T>>;

class AddressTally {
public:
    void Add(const Address& address);
    // The same as Add for each, in order, faster: the table's memory for
    // the whole batch is fetched at once rather than one miss at a time.
    void Add(std::span<const Address> addresses);
    // Adds the tally of the text that follows this one's: its addresses
    // not seen here come after those seen here, in its order.
    void Merge(const AddressTally& later);
    const TallyVector<Tallied>& Entries() const { return entries_; }
    bool Empty() const { return entries_.empty(); }

private:
    static std::uint64_t Hash(const Address& a) noexcept;
    void Grow();
    void Reserve(std::size_t more);
    void Add(const Address& address, std::uint64_t count);
    // Fetches the memory that adding the next `n` addresses will look at.
    static constexpr std::size_t kAhead = 32;
    template <class AddressAt> void FetchAhead(std::size_t n, AddressAt addressAt);

    TallyVector<Tallied> entries_;
    // Open addressing over entries_: a slot holds an entry's index + 1, or
    // 0 when free; at most half the slots are taken. One probe into a flat
    // table costs less than a node-based map's chase through buckets, on a
    // log of millions of lines.
    TallyVector<std::uint32_t> slots_;
};

} // namespace orvanta::extract
