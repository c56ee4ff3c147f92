#include "extract/AddressTally.h"

#include <cstring>

namespace orvanta::extract {

std::size_t AddressTally::Hash::operator()(const Address& a) const noexcept {
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
    return static_cast<std::size_t>(h);
}

void AddressTally::Add(const Address& address) {
    const auto [at, inserted] = index_.try_emplace(address, entries_.size());
    if (inserted)
        entries_.push_back({address, 1});
    else
        ++entries_[at->second].count;
}

} // namespace orvanta::extract
