#include "mmdbimport/MmdbTreeWalker.h"

#include "mmdbimport/ImportError.h"
#include "mmdbimport/MmdbDatabase.h"

#include <maxminddb.h>
#include <string>

namespace orvanta::mmdbimport {
namespace {

constexpr int kIPv4Bits = 32;
constexpr int kIPv4InIPv6Depth = 96;
constexpr std::uint64_t kProgressEvery = 1u << 16;

// A node still to read, or a data leaf still to emit (then `node` holds the
// data offset and the leaf covers prefix..last).
struct Pending {
    std::uint32_t node;
    int depth;            // bits of the prefix already decided
    std::uint32_t prefix; // those bits, in place
    bool isData;
    std::uint32_t last;
};

class WalkRun {
public:
    WalkRun(const MmdbDatabase& database, const MmdbTreeWalker::Progress& progress)
        : database_(database), progress_(progress) {}

    MMDB_search_node_s Read(std::uint32_t node) {
        MMDB_search_node_s result{};
        const int status = MMDB_read_node(database_.handle(), node, &result);
        if (status != MMDB_SUCCESS)
            throw ImportError("Cannot read search tree node " + std::to_string(node) + " of \"" +
                              database_.path() + "\": " + MMDB_strerror(status));
        return result;
    }

    void Emit(std::uint32_t first, std::uint32_t last, std::uint32_t offset) {
        auto& ranges = result_.ranges;
        if (!ranges.empty() && ranges.back().dataOffset == offset &&
            ranges.back().last + 1 == first) {
            ranges.back().last = last;
            return;
        }
        ranges.push_back({first, last, offset});
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
    // right child goes on first, so ranges come out in ascending order.
    void Subtree(std::uint32_t root) {
        std::vector<Pending> stack{{root, 0, 0, false, 0}};
        while (!stack.empty()) {
            const Pending at = stack.back();
            stack.pop_back();
            if (at.isData) {
                Emit(at.prefix, at.last, at.node);
                continue;
            }
            CountVisit(at.node);
            const MMDB_search_node_s node = Read(at.node);
            const int shift = kIPv4Bits - 1 - at.depth;
            for (int bit = 1; bit >= 0; --bit) {
                const int type = bit ? node.right_record_type : node.left_record_type;
                const std::uint32_t first = at.prefix | (std::uint32_t(bit) << shift);
                const std::uint32_t last =
                    first | (shift == 0 ? 0u : (0xFFFFFFFFu >> (kIPv4Bits - shift)));
                if (type == MMDB_RECORD_TYPE_SEARCH_NODE) {
                    if (at.depth + 1 >= kIPv4Bits)
                        throw ImportError("The search tree of \"" + database_.path() +
                                          "\" runs deeper than 32 address bits (node " +
                                          std::to_string(at.node) + ")");
                    const auto child = bit ? node.right_record : node.left_record;
                    stack.push_back({std::uint32_t(child), at.depth + 1, first, false, 0});
                } else if (type == MMDB_RECORD_TYPE_DATA) {
                    const auto& entry = bit ? node.right_record_entry : node.left_record_entry;
                    stack.push_back({entry.offset, 0, first, true, last});
                } else if (type != MMDB_RECORD_TYPE_EMPTY) {
                    Invalid(at.node);
                }
            }
        }
    }

    // The IPv4 space of an IPv6 database is the subtree reached by 96 zero bits.
    void FromIPv6Root() {
        std::uint32_t node = 0;
        for (int depth = 0; depth < kIPv4InIPv6Depth; ++depth) {
            CountVisit(node);
            const MMDB_search_node_s read = Read(node);
            switch (read.left_record_type) {
            case MMDB_RECORD_TYPE_SEARCH_NODE:
                node = std::uint32_t(read.left_record);
                break;
            case MMDB_RECORD_TYPE_DATA:
                Emit(0, 0xFFFFFFFFu, read.left_record_entry.offset);
                return;
            case MMDB_RECORD_TYPE_EMPTY:
                return;
            default:
                Invalid(node);
            }
        }
        Subtree(node);
    }

    TreeWalk Run() {
        if (database_.nodeCount() == 0)
            return {};
        if (database_.ipVersion() == 4)
            Subtree(0);
        else if (database_.ipVersion() == 6)
            FromIPv6Root();
        else
            throw ImportError("\"" + database_.path() + "\" has IP version " +
                              std::to_string(database_.ipVersion()) + "; expected 4 or 6");
        return std::move(result_);
    }

private:
    const MmdbDatabase& database_;
    const MmdbTreeWalker::Progress& progress_;
    TreeWalk result_;
};

} // namespace

MmdbTreeWalker::MmdbTreeWalker(const MmdbDatabase& database) : database_(database) {}

TreeWalk MmdbTreeWalker::Walk(const Progress& progress) const {
    return WalkRun(database_, progress).Run();
}

} // namespace orvanta::mmdbimport
