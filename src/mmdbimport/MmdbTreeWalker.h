// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Walks the search tree of an MMDB database with libmaxminddb's node reader
// and lists which address ranges lead to which data record. Adjacent ranges
// that lead to the same record come out as one range; addresses without data
// are gaps. Either family can be asked for:
// - the IPv4 space (32 bits): an IPv4 database's tree, or the subtree at
//   ::/96 of an IPv6 database;
// - the IPv6 space (128 bits) of an IPv6 database, without the places where
//   it holds IPv4 answers: ::/96, ::ffff:0:0/96, and every other subtree that
//   leads into the IPv4 one (the aliases writers put at 2002::/16 and
//   2001::/32). Those belong to the IPv4 file.

#include "geoip/AddressValue.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace orvanta::mmdbimport {

class MmdbDatabase;

// Inclusive range of addresses (numbers, first byte most significant)
// answered by the data record at `dataOffset` in the database's data section.
struct DataRange {
    geoip::AddressValue first = 0;
    geoip::AddressValue last = 0;
    std::uint32_t dataOffset = 0;

    bool operator==(const DataRange&) const = default;
};

struct TreeWalk {
    std::vector<DataRange> ranges;  // ascending, disjoint
    std::uint64_t nodesVisited = 0; // tree nodes read for the family's space
};

class MmdbTreeWalker {
public:
    // Called now and then with the number of nodes read so far.
    using Progress = std::function<void(std::uint64_t nodesVisited)>;

    // `addressBits` is 32 for the IPv4 space, 128 for the IPv6 space.
    explicit MmdbTreeWalker(const MmdbDatabase& database, int addressBits = 32);

    // Throws ImportError for a tree that libmaxminddb cannot read, that runs
    // deeper than the address bits, or that reaches nodes more than once,
    // and for the IPv6 space of an IPv4 database.
    TreeWalk Walk(const Progress& progress = {}) const;

private:
    const MmdbDatabase& database_;
    int addressBits_;
};

} // namespace orvanta::mmdbimport
