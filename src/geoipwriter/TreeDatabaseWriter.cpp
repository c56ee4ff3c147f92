// SPDX-License-Identifier: GPL-3.0-or-later
#include "geoipwriter/TreeDatabaseWriter.h"

#include "geoip/IPv6Text.h"
#include "geoipwriter/CityDatabaseWriter.h"
#include "geoipwriter/DatabaseFile.h"
#include "geoipwriter/SearchTree.h"
#include "geoipwriter/WriteError.h"

#include <algorithm>
#include <arpa/inet.h>
#include <limits>
#include <string_view>
#include <unordered_map>

namespace orvanta::geoip {
namespace {

constexpr std::uint32_t Unencoded = std::numeric_limits<std::uint32_t>::max();

std::string RangeText(const IndexedRange& range, int depth) {
    return AddressText(range.first, depth) + "-" + AddressText(range.last, depth);
}

// Everything a file needs, held in memory until it is known to be valid.
struct DatabasePlan {
    explicit DatabasePlan(int depth) : tree(depth) {}
    SearchTree tree;
    std::string recordArea = std::string(1, '\0'); // offset 0 would read as "not found"
    std::vector<std::uint32_t> recordOffsets;      // per stored record
    WriteSummary summary;
};

// Ranges ordered by first address, checked, each pointing at a record.
std::vector<IndexedRange> SortedRanges(const std::vector<IndexedRange>& given,
                                       std::size_t recordCount, int depth) {
    std::vector<IndexedRange> ranges = given;
    for (const IndexedRange& range : ranges) {
        if (range.first > range.last) {
            throw WriteError("range " + RangeText(range, depth) + " ends before it starts");
        }
        if (range.last > LowBits(depth)) {
            throw WriteError("range " + RangeText(range, depth) + " lies outside the " +
                             (depth == 32 ? "IPv4" : "IPv6") + " address space");
        }
        if (range.recordIndex >= recordCount) {
            throw WriteError("range " + RangeText(range, depth) + " names record " +
                             std::to_string(range.recordIndex) + " of " +
                             std::to_string(recordCount));
        }
    }
    std::sort(ranges.begin(), ranges.end(),
              [](const IndexedRange& a, const IndexedRange& b) { return a.first < b.first; });
    for (std::size_t i = 1; i < ranges.size(); ++i) {
        if (ranges[i].first <= ranges[i - 1].last) {
            throw WriteError("ranges " + RangeText(ranges[i - 1], depth) + " and " +
                             RangeText(ranges[i], depth) + " overlap");
        }
    }
    return ranges;
}

// A stored record by its place in the record area, hashed and compared by
// its bytes there: the area itself is the only copy of each record.
struct StoredBytes {
    std::uint32_t offset;
    std::uint32_t length;
};

struct StoredBytesHash {
    const std::string* area;
    std::size_t operator()(const StoredBytes& key) const {
        return std::hash<std::string_view>()(
            std::string_view(*area).substr(key.offset, key.length));
    }
};

struct StoredBytesEqual {
    const std::string* area;
    bool operator()(const StoredBytes& a, const StoredBytes& b) const {
        const std::string_view view(*area);
        return view.substr(a.offset, a.length) == view.substr(b.offset, b.length);
    }
};

// Encodes the records the ranges use, each distinct byte form stored once,
// and rewrites the ranges' record indices to stored record ids.
void StoreRecords(const RecordSource& records, std::vector<IndexedRange>& ranges, int depth,
                  DatabasePlan& plan) {
    std::vector<std::uint32_t> storedId(records.count, Unencoded);
    std::unordered_map<StoredBytes, std::uint32_t, StoredBytesHash, StoredBytesEqual> byBytes(
        records.count, StoredBytesHash{&plan.recordArea}, StoredBytesEqual{&plan.recordArea});
    for (IndexedRange& range : ranges) {
        std::uint32_t& id = storedId[range.recordIndex];
        if (id == Unencoded) {
            EncodedRecord encoded;
            try {
                encoded = records.encode(range.recordIndex);
            } catch (const WriteError& error) {
                throw WriteError("record of range " + RangeText(range, depth) + ": " +
                                 error.what());
            }
            // Appended first, taken back when an equal record is stored already.
            const StoredBytes key{static_cast<std::uint32_t>(plan.recordArea.size()),
                                  static_cast<std::uint32_t>(encoded.bytes.size())};
            plan.recordArea += encoded.bytes;
            auto [entry, added] =
                byBytes.try_emplace(key, static_cast<std::uint32_t>(plan.recordOffsets.size()));
            if (added) {
                plan.recordOffsets.push_back(key.offset);
                plan.summary.overlongRecords += encoded.overlong ? 1 : 0;
                plan.summary.shortenedRecords += encoded.shortened ? 1 : 0;
            } else {
                plan.recordArea.resize(key.offset);
            }
            id = entry->second;
        }
        range.recordIndex = id;
    }
    plan.summary.distinctRecords = plan.recordOffsets.size();
    plan.summary.recordBytes = plan.recordArea.size();
}

// Neighbouring ranges with the same stored record become one, so that they
// split into fewer, larger blocks.
void MergeNeighbours(std::vector<IndexedRange>& ranges) {
    std::size_t kept = 0;
    for (std::size_t i = 0; i < ranges.size(); ++i) {
        if (kept > 0 && ranges[kept - 1].recordIndex == ranges[i].recordIndex &&
            ranges[kept - 1].last + 1 == ranges[i].first) {
            ranges[kept - 1].last = ranges[i].last;
        } else {
            ranges[kept++] = ranges[i];
        }
    }
    ranges.resize(kept);
}

DatabasePlan Plan(const std::vector<IndexedRange>& given, const RecordSource& records,
                  const EditionInfo& edition) {
    const int depth = edition.treeDepth;
    DatabasePlan plan(depth);
    plan.summary.ranges = given.size();
    std::vector<IndexedRange> ranges = SortedRanges(given, records.count, depth);
    StoreRecords(records, ranges, depth, plan);
    MergeNeighbours(ranges);
    for (const IndexedRange& range : ranges) {
        plan.summary.blocks += SearchTree::SplitRange(
            range.first, range.last, depth, [&](AddressValue prefix, int length) {
                plan.tree.AddBlock(prefix, length, range.recordIndex);
            });
    }
    const std::uint64_t boundary = plan.tree.NodeCount();
    const std::uint64_t lastOffset = plan.recordOffsets.empty() ? 0 : plan.recordOffsets.back();
    plan.summary.treeNodes = plan.tree.NodeCount();
    plan.summary.largestValue = boundary + lastOffset;
    plan.summary.fileSize = boundary * 6 + plan.summary.recordBytes + 7;
    return plan;
}

void CheckWritable(const DatabasePlan& plan) {
    const WriteSummary& summary = plan.summary;
    if (summary.overlongRecords > summary.shortenedRecords) {
        throw WriteError(std::to_string(summary.overlongRecords - summary.shortenedRecords) +
                         " records are longer than the 50-byte record window "
                         "(shorten their texts with --fit)");
    }
    // The boundary itself must stay below the limit too: 0xFFFFFF as a
    // boundary would turn the last 3 bytes of the file into an edition marker.
    if (summary.largestValue > MaxThreeByteValue || summary.treeNodes >= MaxThreeByteValue) {
        throw WriteError("the tree (" + std::to_string(summary.treeNodes) +
                         " nodes) and the records (" + std::to_string(summary.recordBytes) +
                         " bytes) need values up to " + std::to_string(summary.largestValue) +
                         ", more than 3 bytes hold (" + std::to_string(MaxThreeByteValue) + ")");
    }
}

void AppendValue(std::vector<std::uint8_t>& out, std::uint32_t value) {
    out.push_back(static_cast<std::uint8_t>(value & 0xFF));
    out.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFF));
    out.push_back(static_cast<std::uint8_t>((value >> 16) & 0xFF));
}

void WritePlan(const std::string& path, const DatabasePlan& plan, const EditionInfo& edition) {
    DatabaseFile file(path);
    const auto boundary = static_cast<std::uint32_t>(plan.tree.NodeCount());
    std::vector<std::uint8_t> buffer;
    constexpr std::size_t chunk = 1 << 20;
    buffer.reserve(chunk + 8);
    for (std::uint32_t child : plan.tree.Children()) {
        std::uint32_t value = child;
        if (child == SearchTree::Empty) {
            value = boundary;
        } else if (child & SearchTree::RecordTag) {
            value = boundary + plan.recordOffsets[child & ~SearchTree::RecordTag];
        }
        AppendValue(buffer, value);
        if (buffer.size() >= chunk) {
            file.Write(buffer.data(), buffer.size());
            buffer.clear();
        }
    }
    file.Write(buffer.data(), buffer.size());
    file.Write(plan.recordArea.data(), plan.recordArea.size());
    buffer.assign({0xFF, 0xFF, 0xFF, edition.number});
    AppendValue(buffer, boundary);
    file.Write(buffer.data(), buffer.size());
    file.Commit();
}

} // namespace

std::string AddressText(AddressValue address, int depth) {
    if (depth > 32) {
        return IPv6AddressText(address);
    }
    in_addr value{htonl(static_cast<std::uint32_t>(address))};
    char text[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &value, text, sizeof text);
    return text;
}

WriteSummary MeasureTreeDatabase(const std::vector<IndexedRange>& ranges,
                                 const RecordSource& records, const EditionInfo& edition) {
    return Plan(ranges, records, edition).summary;
}

WriteSummary WriteTreeDatabase(const std::string& path, const std::vector<IndexedRange>& ranges,
                               const RecordSource& records, const EditionInfo& edition) {
    DatabasePlan plan = Plan(ranges, records, edition);
    CheckWritable(plan);
    WritePlan(path, plan, edition);
    return plan.summary;
}

} // namespace orvanta::geoip
