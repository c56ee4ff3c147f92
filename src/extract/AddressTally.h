#pragma once
// Every distinct address once, in the order first seen, with how often it
// occurred. A fixed amount of memory per distinct address (the address,
// its count and one hash entry), however often it occurs.
#include "extract/AddressScanner.h"

#include <cstdint>
#include <unordered_map>
#include <vector>

namespace orvanta::extract {

struct Tallied {
    Address address;
    std::uint64_t count = 0;
};

class AddressTally {
public:
    void Add(const Address& address);
    const std::vector<Tallied>& Entries() const { return entries_; }
    bool Empty() const { return entries_.empty(); }

private:
    struct Hash {
        std::size_t operator()(const Address& a) const noexcept;
    };
    std::vector<Tallied> entries_;
    std::unordered_map<Address, std::size_t, Hash> index_;
};

} // namespace orvanta::extract
