// SPDX-License-Identifier: GPL-3.0-or-later
#include "mmdbimport/MmdbTreeWalker.h"

#include "mmdbimport/ImportError.h"
#include "mmdbimport/MmdbDatabase.h"

#include <maxminddb.h>
#include <optional>
#include <string>

namespace orvanta::mmdbimport {
namespace {

using geoip::AddressValue;
using geoip::LowBits;

constexpr int kIPv4Bits = 32;
constexpr int kIPv6Bits = 128;
constexpr int kIPv4InIPv6Depth = 96;
constexpr std::uint64_t kProgressEvery = 1u << 16;

// The IPv4 parts of the IPv6 space, left out of it also where a data record
// above them covers them.
constexpr AddressValue kMappedFirst = AddressValue{0xFFFF} << 32;
struct Interval {
    AddressValue first;
    AddressValue last;
};
constexpr Interval kIPv4Parts[] = {{0, LowBits(32)}, {kMappedFirst, kMappedFirst | LowBits(32)}};

// A node still to read, or a data leaf still to emit (then `node` holds the
// data offset and the leaf covers prefix..last).
struct Pending {
    std::uint32_t node;
    int depth;           // bits of the prefix already decided
    AddressValue prefix; // those bits, in place
    bool isData;
    AddressValue last;
};

class WalkRun {
public:
    WalkRun(const MmdbDatabase& database, int addressBits, const MmdbTreeWalker::Progress& progress)
        : database_(database), addressBits_(addressBits), progress_(progress) {}

    MMDB_search_node_s Read(std::uint32_t node) {
        MMDB_search_node_s result{};
        const int status = MMDB_read_node(database_.handle(), node, &result);
        if (status != MMDB_SUCCESS)
            throw ImportError("Cannot read search tree node " + std::to_string(node) + " of \"" +
                              database_.path() + "\": " + MMDB_strerror(status));
        return result;
    }

    void Emit(AddressValue first, AddressValue last, std::uint32_t offset) {
        auto& ranges = result_.ranges;
        if (!ranges.empty() && ranges.back().dataOffset == offset &&
            ranges.back().last + 1 == first) {
            ranges.back().last = last;
            return;
        }
        ranges.push_back({first, last, offset});
    }

    // Emit for the IPv6 space: what a leaf covers of the IPv4 parts is cut out.
    void EmitOutsideIPv4(AddressValue first, AddressValue last, std::uint32_t offset) {
        if (addressBits_ == kIPv4Bits) {
            Emit(first, last, offset);
            return;
        }
        for (const Interval& part : kIPv4Parts) {
            if (last < part.first || first > part.last)
                continue;
            if (first < part.first)
                Emit(first, part.first - 1, offset);
            if (last <= part.last)
                return;
            first = part.last + 1;
        }
        Emit(first, last, offset);
    }

    void Invalid(std::uint32_t node) const {
        throw ImportError("Search tree node " + std::to_string(node) + " of \"" + database_.path() +
                          "\" points outside the database");
    }

    // Every node of a proper tree is reached once; counting guards against
    // files whose nodes are shared, which could make the walk take for ever.
    void CountVisit(std::uint32_t node) {
        if (++result_.nodesVisited > database_.nodeCount())
            throw ImportError("The search tree of \"" + database_.path() +
                              "\" reaches some nodes more than once (at node " +
                              std::to_string(node) + "); it is damaged");
        if (progress_ && result_.nodesVisited % kProgressEvery == 0)
            progress_(result_.nodesVisited);
    }

    // Depth-first, with data leaves kept on the stack beside the nodes: the
    // right child goes on first, so ranges come out in ascending order. A
    // search node that is `skip` (the IPv4 subtree of the IPv6 space, and
    // every alias of it) is not entered.
    void Subtree(std::uint32_t root, std::optional<std::uint32_t> skip) {
        std::vector<Pending> stack{{root, 0, 0, false, 0}};
        while (!stack.empty()) {
            const Pending at = stack.back();
            stack.pop_back();
            if (at.isData) {
                EmitOutsideIPv4(at.prefix, at.last, at.node);
                continue;
            }
            CountVisit(at.node);
            const MMDB_search_node_s node = Read(at.node);
            const int shift = addressBits_ - 1 - at.depth;
            for (int bit = 1; bit >= 0; --bit) {
                const int type = bit ? node.right_record_type : node.left_record_type;
                const AddressValue first = at.prefix | (AddressValue(bit) << shift);
                const AddressValue last = first | LowBits(shift);
                if (type == MMDB_RECORD_TYPE_SEARCH_NODE) {
                    const auto child = std::uint32_t(bit ? node.right_record : node.left_record);
                    if (skip && child == *skip)
                        continue;
                    if (at.depth + 1 >= addressBits_)
                        throw ImportError("The search tree of \"" + database_.path() +
                                          "\" runs deeper than " + std::to_string(addressBits_) +
                                          " address bits (node " + std::to_string(at.node) + ")");
                    stack.push_back({child, at.depth + 1, first, false, 0});
                } else if (type == MMDB_RECORD_TYPE_DATA) {
                    const auto& entry = bit ? node.right_record_entry : node.left_record_entry;
                    stack.push_back({entry.offset, 0, first, true, last});
                } else if (type != MMDB_RECORD_TYPE_EMPTY) {
                    Invalid(at.node);
                }
            }
        }
    }

    // The node reached by 96 zero bits: the IPv4 space of an IPv6 database.
    // None when the path ends before (in data or in nothing); a data record
    // there is emitted as the whole IPv4 space when `emit` is set.
    std::optional<std::uint32_t> IPv4Root(bool emit, bool count) {
        std::uint32_t node = 0;
        for (int depth = 0; depth < kIPv4InIPv6Depth; ++depth) {
            if (count)
                CountVisit(node);
            const MMDB_search_node_s read = Read(node);
            switch (read.left_record_type) {
            case MMDB_RECORD_TYPE_SEARCH_NODE:
                node = std::uint32_t(read.left_record);
                break;
            case MMDB_RECORD_TYPE_DATA:
                if (emit)
                    Emit(0, LowBits(kIPv4Bits), read.left_record_entry.offset);
                return std::nullopt;
            case MMDB_RECORD_TYPE_EMPTY:
                return std::nullopt;
            default:
                Invalid(node);
            }
        }
        return node;
    }

    TreeWalk Run() {
        if (database_.nodeCount() == 0)
            return {};
        const int version = database_.ipVersion();
        if (version != 4 && version != 6)
            throw ImportError("\"" + database_.path() + "\" has IP version " +
                              std::to_string(version) + "; expected 4 or 6");
        if (addressBits_ == kIPv6Bits) {
            if (version != 6)
                throw NoFamilyDataError("\"" + database_.path() +
                                        "\" is an IPv4 database; it holds no IPv6 networks");
            Subtree(0, IPv4Root(false, false));
        } else if (version == 4) {
            Subtree(0, std::nullopt);
        } else if (const std::optional<std::uint32_t> root = IPv4Root(true, true)) {
            Subtree(*root, std::nullopt);
        }
        return std::move(result_);
    }

private:
    const MmdbDatabase& database_;
    int addressBits_;
    const MmdbTreeWalker::Progress& progress_;
    TreeWalk result_;
};

} // namespace

MmdbTreeWalker::MmdbTreeWalker(const MmdbDatabase& database, int addressBits)
    : database_(database), addressBits_(addressBits) {}

TreeWalk MmdbTreeWalker::Walk(const Progress& progress) const {
    return WalkRun(database_, addressBits_, progress).Run();
}

} // namespace orvanta::mmdbimport
