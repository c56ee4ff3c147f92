#pragma once
// Walks the search tree of an MMDB database over the IPv4 space (for an IPv6
// database, the subtree at ::/96) with libmaxminddb's node reader, and lists
// which address ranges lead to which data record. Adjacent ranges that lead
// to the same record come out as one range; addresses without data are gaps.

#include <cstdint>
#include <functional>
#include <vector>

namespace orvanta::mmdbimport {

class MmdbDatabase;

// Inclusive IPv4 range (host byte order) answered by the data record at
// `dataOffset` in the database's data section.
struct DataRange {
    std::uint32_t first = 0;
    std::uint32_t last = 0;
    std::uint32_t dataOffset = 0;

    bool operator==(const DataRange&) const = default;
};

struct TreeWalk {
    std::vector<DataRange> ranges;  // ascending, disjoint
    std::uint64_t nodesVisited = 0; // tree nodes read below the IPv4 root
};

class MmdbTreeWalker {
public:
    // Called now and then with the number of nodes read so far.
    using Progress = std::function<void(std::uint64_t nodesVisited)>;

    explicit MmdbTreeWalker(const MmdbDatabase& database);

    // Throws ImportError for a tree that libmaxminddb cannot read, that runs
    // deeper than the address bits, or that reaches nodes more than once.
    TreeWalk Walk(const Progress& progress = {}) const;

private:
    const MmdbDatabase& database_;
};

} // namespace orvanta::mmdbimport
