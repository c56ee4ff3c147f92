#include "mmdbimport/MmdbAsnImporter.h"

#include "mmdbimport/ImportError.h"
#include "mmdbimport/MmdbDatabase.h"
#include "mmdbimport/MmdbRecordDecoder.h"
#include "mmdbimport/MmdbTreeWalker.h"
#include "mmdbimport/Progress.h"

#include <maxminddb.h>
#include <optional>
#include <unordered_map>

namespace orvanta::mmdbimport {
namespace {

using geoip::AddressValue;

constexpr int kIPv6Bits = 128;
constexpr int kIPv4InIPv6Depth = 96;
constexpr std::uint64_t kProgressEvery = 1u << 16;

struct SourceRange {
    AddressValue first;
    AddressValue last;
    std::uint32_t dataOffset;
};

// The whole IPv6 tree. The IPv4 part (::/96) belongs to the IPv4 edition and
// is left out; the aliases that writers point at it (::ffff:0:0/96,
// 2002::/16) reach its node again and are left out with it. Every other node
// is read once: a node reached twice means a damaged tree.
class Ipv6Walk {
public:
    Ipv6Walk(const MmdbDatabase& database, Progress& progress)
        : database_(database), progress_(progress), seen_(database.nodeCount(), false) {}

    std::vector<SourceRange> Run() {
        if (database_.ipVersion() != 6) {
            throw ImportError("\"" + database_.path() +
                              "\" is an IPv4 database; the IPv6 edition needs an IPv6 one");
        }
        if (database_.nodeCount() == 0) {
            return {};
        }
        SkipIpv4Part();
        std::vector<Pending> stack{{0, 0, 0, false, 0}};
        while (!stack.empty()) {
            const Pending at = stack.back();
            stack.pop_back();
            if (at.isData) {
                Emit(at.prefix, at.last, at.node);
                continue;
            }
            if (at.node >= seen_.size()) {
                continue; // the empty value; MMDB_read_node types it for us
            }
            if (seen_[at.node]) {
                if (at.node == ipv4Root_) {
                    continue;
                }
                throw ImportError("The search tree of \"" + database_.path() + "\" reaches node " +
                                  std::to_string(at.node) + " more than once; it is damaged");
            }
            seen_[at.node] = true;
            if (++visited_ % kProgressEvery == 0) {
                progress_.Advance(visited_);
            }
            Expand(at, stack);
        }
        return std::move(ranges_);
    }

private:
    struct Pending {
        std::uint32_t node;
        int depth;
        AddressValue prefix;
        bool isData;
        AddressValue last;
    };

    MMDB_search_node_s Read(std::uint32_t node) const {
        MMDB_search_node_s result{};
        const int status = MMDB_read_node(database_.handle(), node, &result);
        if (status != MMDB_SUCCESS) {
            throw ImportError("Cannot read search tree node " + std::to_string(node) + " of \"" +
                              database_.path() + "\": " + MMDB_strerror(status));
        }
        return result;
    }

    // Follows 96 zero bits and marks the node there as read.
    void SkipIpv4Part() {
        std::uint32_t node = 0;
        for (int depth = 0; depth < kIPv4InIPv6Depth; ++depth) {
            const MMDB_search_node_s read = Read(node);
            if (read.left_record_type != MMDB_RECORD_TYPE_SEARCH_NODE) {
                return;
            }
            node = static_cast<std::uint32_t>(read.left_record);
        }
        if (node < seen_.size()) {
            seen_[node] = true;
            ipv4Root_ = node;
        }
    }

    void Expand(const Pending& at, std::vector<Pending>& stack) const {
        const MMDB_search_node_s node = Read(at.node);
        const int shift = kIPv6Bits - 1 - at.depth;
        for (int bit = 1; bit >= 0; --bit) {
            const int type = bit ? node.right_record_type : node.left_record_type;
            const AddressValue first = at.prefix | (AddressValue(bit) << shift);
            const AddressValue last =
                first | (shift == 0 ? AddressValue(0) : (~AddressValue(0) >> (kIPv6Bits - shift)));
            if (type == MMDB_RECORD_TYPE_SEARCH_NODE) {
                if (at.depth + 1 >= kIPv6Bits) {
                    throw ImportError("The search tree of \"" + database_.path() +
                                      "\" runs deeper than 128 address bits");
                }
                const auto child = bit ? node.right_record : node.left_record;
                stack.push_back({static_cast<std::uint32_t>(child), at.depth + 1, first, false, 0});
            } else if (type == MMDB_RECORD_TYPE_DATA) {
                const auto& entry = bit ? node.right_record_entry : node.left_record_entry;
                stack.push_back({entry.offset, 0, first, true, last});
            } else if (type != MMDB_RECORD_TYPE_EMPTY) {
                throw ImportError("Search tree node " + std::to_string(at.node) + " of \"" +
                                  database_.path() + "\" points outside the database");
            }
        }
    }

    void Emit(AddressValue first, AddressValue last, std::uint32_t offset) {
        if (!ranges_.empty() && ranges_.back().dataOffset == offset &&
            ranges_.back().last + 1 == first) {
            ranges_.back().last = last;
            return;
        }
        ranges_.push_back({first, last, offset});
    }

    const MmdbDatabase& database_;
    Progress& progress_;
    std::vector<bool> seen_;
    std::uint32_t ipv4Root_ = UINT32_MAX;
    std::uint64_t visited_ = 0;
    std::vector<SourceRange> ranges_;
};

std::vector<SourceRange> Ipv4Ranges(const MmdbDatabase& database, Progress& progress) {
    TreeWalk walk =
        MmdbTreeWalker(database).Walk([&progress](std::uint64_t done) { progress.Advance(done); });
    std::vector<SourceRange> ranges;
    ranges.reserve(walk.ranges.size());
    for (const DataRange& range : walk.ranges) {
        ranges.push_back({range.first, range.last, range.dataOffset});
    }
    return ranges;
}

std::optional<MMDB_entry_data_s> Field(const MmdbDatabase& database, std::uint32_t offset,
                                       const char* name) {
    MMDB_entry_s entry{database.handle(), offset};
    MMDB_entry_data_s data{};
    const char* path[] = {name, nullptr};
    const int status = MMDB_aget_value(&entry, &data, path);
    if (status == MMDB_LOOKUP_PATH_DOES_NOT_MATCH_DATA_ERROR ||
        status == MMDB_INVALID_LOOKUP_PATH_ERROR) {
        return std::nullopt;
    }
    if (status != MMDB_SUCCESS) {
        throw ImportError("Cannot read the data record at offset " + std::to_string(offset) +
                          " of \"" + database.path() + "\": " + MMDB_strerror(status));
    }
    if (!data.has_data) {
        return std::nullopt;
    }
    return data;
}

std::optional<std::uint32_t> AsNumber(const MMDB_entry_data_s& data) {
    switch (data.type) {
    case MMDB_DATA_TYPE_UINT16:
        return data.uint16;
    case MMDB_DATA_TYPE_UINT32:
        return data.uint32;
    case MMDB_DATA_TYPE_UINT64:
        if (data.uint64 <= UINT32_MAX) {
            return static_cast<std::uint32_t>(data.uint64);
        }
        return std::nullopt;
    case MMDB_DATA_TYPE_INT32:
        if (data.int32 >= 0) {
            return static_cast<std::uint32_t>(data.int32);
        }
        return std::nullopt;
    default:
        return std::nullopt;
    }
}

[[noreturn]] void NotAnAsnRecord(const MmdbDatabase& database, std::uint32_t offset,
                                 const std::string& why) {
    std::string found;
    for (const auto& key : MmdbRecordDecoder(database).TopLevelKeys(offset)) {
        found += (found.empty() ? "" : ", ") + key;
    }
    throw ImportError("The data record at offset " + std::to_string(offset) + " of \"" +
                      database.path() + "\" is not an organisation record (" + why +
                      "); its fields: " + (found.empty() ? "none" : found));
}

geoip::FittedText DecodeAsnRecord(const MmdbDatabase& database, std::uint32_t offset) {
    const auto number = Field(database, offset, "autonomous_system_number");
    if (!number) {
        NotAnAsnRecord(database, offset, "no autonomous_system_number");
    }
    const auto value = AsNumber(*number);
    if (!value) {
        NotAnAsnRecord(database, offset, "autonomous_system_number is not a 32-bit AS number");
    }
    std::string name;
    if (const auto organization = Field(database, offset, "autonomous_system_organization")) {
        if (organization->type != MMDB_DATA_TYPE_UTF8_STRING) {
            NotAnAsnRecord(database, offset, "autonomous_system_organization is not a text");
        }
        name.assign(organization->utf8_string, organization->data_size);
    }
    if (name.find('\0') != std::string::npos) {
        NotAnAsnRecord(database, offset, "its name holds a NUL byte");
    }
    return geoip::AsnRecordText(*value, name);
}

} // namespace

bool IsAsnDatabase(const MmdbDatabase& database) {
    try {
        MMDB_search_node_s node{};
        std::uint32_t at = 0;
        // The first data record down the leftmost branches that have one.
        for (int depth = 0; depth < kIPv6Bits && at < database.nodeCount(); ++depth) {
            if (MMDB_read_node(database.handle(), at, &node) != MMDB_SUCCESS) {
                return false;
            }
            for (int side = 0; side < 2; ++side) {
                const int type = side ? node.right_record_type : node.left_record_type;
                if (type == MMDB_RECORD_TYPE_DATA) {
                    const auto& entry = side ? node.right_record_entry : node.left_record_entry;
                    return Field(database, entry.offset, "autonomous_system_number").has_value();
                }
            }
            at = node.left_record_type == MMDB_RECORD_TYPE_SEARCH_NODE
                     ? static_cast<std::uint32_t>(node.left_record)
                     : static_cast<std::uint32_t>(node.right_record);
            if (node.left_record_type != MMDB_RECORD_TYPE_SEARCH_NODE &&
                node.right_record_type != MMDB_RECORD_TYPE_SEARCH_NODE) {
                return false;
            }
        }
    } catch (const ImportError&) {
    }
    return false;
}

AsnImport ImportAsnMmdb(const std::string& path, bool ipv6, Progress& progress) {
    const MmdbDatabase database(path);
    AsnImport result;
    result.databaseType = database.databaseType();
    result.ipVersion = database.ipVersion();
    progress.Start("reading", database.nodeCount());
    std::vector<SourceRange> ranges =
        ipv6 ? Ipv6Walk(database, progress).Run() : Ipv4Ranges(database, progress);
    progress.Finish();
    if (ranges.empty()) {
        throw ImportError("\"" + path + "\" holds no " + (ipv6 ? "IPv6" : "IPv4") +
                          " data; nothing was written");
    }
    result.sourceRanges = ranges.size();
    progress.Start("decoding", ranges.size());
    std::unordered_map<std::uint32_t, std::uint32_t> byOffset;
    auto& set = result.set;
    set.ranges.reserve(ranges.size());
    for (std::size_t i = 0; i < ranges.size(); ++i) {
        const SourceRange& range = ranges[i];
        auto [it, inserted] = byOffset.try_emplace(range.dataOffset, 0);
        if (inserted) {
            const geoip::FittedText text = DecodeAsnRecord(database, range.dataOffset);
            result.shortened += text.shortened ? 1 : 0;
            it->second = set.TextIndex(text.text);
        }
        // Records that differ only in fields we do not keep share a text:
        // their neighbouring ranges become one.
        if (!set.ranges.empty() && set.ranges.back().textIndex == it->second &&
            set.ranges.back().last + 1 == range.first) {
            set.ranges.back().last = range.last;
        } else {
            set.ranges.push_back({range.first, range.last, it->second});
        }
        if (i % 65536 == 0) {
            progress.Advance(i);
        }
    }
    progress.Finish();
    return result;
}

} // namespace orvanta::mmdbimport
