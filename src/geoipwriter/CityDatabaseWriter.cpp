#include "geoipwriter/CityDatabaseWriter.h"

#include "geoipwriter/DatabaseFile.h"
#include "geoipwriter/RecordEncoder.h"
#include "geoipwriter/SearchTree.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cstring>
#include <limits>
#include <string_view>
#include <unordered_map>

namespace orvanta::geoip {
namespace {

constexpr std::uint32_t Unencoded = std::numeric_limits<std::uint32_t>::max();

std::string AddressText(std::uint32_t address) {
    in_addr value{htonl(address)};
    char text[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &value, text, sizeof text);
    return text;
}

std::string RangeText(const IndexedRange& range) {
    return AddressText(range.first) + "-" + AddressText(range.last);
}

// Everything a file needs, held in memory until it is known to be valid.
struct DatabasePlan {
    SearchTree tree;
    std::string recordArea = std::string(1, '\0'); // offset 0 would read as "not found"
    std::vector<std::uint32_t> recordOffsets;      // per stored record
    WriteSummary summary;
};

void CheckEdition(const WriteOptions& options) {
    if (options.edition != 2 && options.edition != 6) {
        throw WriteError("edition " + std::to_string(options.edition) +
                         " is not a city edition (2 or 6)");
    }
}

// Ranges ordered by first address, checked, each pointing at a stored record.
std::vector<IndexedRange> SortedRanges(const CityRangeSet& set) {
    std::vector<IndexedRange> ranges = set.ranges;
    for (const IndexedRange& range : ranges) {
        if (range.first > range.last) {
            throw WriteError("range " + RangeText(range) + " ends before it starts");
        }
        if (range.recordIndex >= set.records.size()) {
            throw WriteError("range " + RangeText(range) + " names record " +
                             std::to_string(range.recordIndex) + " of " +
                             std::to_string(set.records.size()));
        }
    }
    std::sort(ranges.begin(), ranges.end(),
              [](const IndexedRange& a, const IndexedRange& b) { return a.first < b.first; });
    for (std::size_t i = 1; i < ranges.size(); ++i) {
        if (ranges[i].first <= ranges[i - 1].last) {
            throw WriteError("ranges " + RangeText(ranges[i - 1]) + " and " + RangeText(ranges[i]) +
                             " overlap");
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
void StoreRecords(const CityRangeSet& set, std::vector<IndexedRange>& ranges,
                  const WriteOptions& options, DatabasePlan& plan) {
    std::vector<std::uint32_t> storedId(set.records.size(), Unencoded);
    std::unordered_map<StoredBytes, std::uint32_t, StoredBytesHash, StoredBytesEqual> byBytes(
        set.records.size(), StoredBytesHash{&plan.recordArea}, StoredBytesEqual{&plan.recordArea});
    for (IndexedRange& range : ranges) {
        std::uint32_t& id = storedId[range.recordIndex];
        if (id == Unencoded) {
            EncodedRecord encoded;
            try {
                encoded =
                    EncodeRecord(set.records[range.recordIndex], options.edition, options.fit);
            } catch (const WriteError& error) {
                throw WriteError("record of range " + RangeText(range) + ": " + error.what());
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

DatabasePlan Plan(const CityRangeSet& set, const WriteOptions& options) {
    CheckEdition(options);
    DatabasePlan plan;
    plan.summary.ranges = set.ranges.size();
    std::vector<IndexedRange> ranges = SortedRanges(set);
    StoreRecords(set, ranges, options, plan);
    MergeNeighbours(ranges);
    for (const IndexedRange& range : ranges) {
        plan.summary.blocks +=
            SearchTree::SplitRange(range.first, range.last, [&](std::uint32_t prefix, int length) {
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

void WritePlan(const std::string& path, const DatabasePlan& plan, const WriteOptions& options) {
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
    buffer.assign({0xFF, 0xFF, 0xFF, static_cast<std::uint8_t>(options.edition)});
    AppendValue(buffer, boundary);
    file.Write(buffer.data(), buffer.size());
    file.Commit();
}

std::string RecordKey(const CityRecordData& record) {
    std::string key;
    key.reserve(40 + record.region.size() + record.city.size() + record.postalCode.size());
    key += static_cast<char>(record.countryIndex);
    for (const std::string* text : {&record.region, &record.city, &record.postalCode}) {
        key += std::to_string(text->size());
        key += ':';
        key += *text;
    }
    char numbers[sizeof(double) * 2 + sizeof(std::int32_t) * 2];
    std::memcpy(numbers, &record.latitude, sizeof(double));
    std::memcpy(numbers + 8, &record.longitude, sizeof(double));
    std::memcpy(numbers + 16, &record.dmaCode, sizeof(std::int32_t));
    std::memcpy(numbers + 20, &record.areaCode, sizeof(std::int32_t));
    key.append(numbers, sizeof numbers);
    return key;
}

} // namespace

CityRangeSet ToRangeSet(const CityRanges& ranges) {
    CityRangeSet set;
    set.ranges.reserve(ranges.size());
    std::unordered_map<std::string, std::uint32_t> known;
    for (const CityRange& range : ranges) {
        auto [entry, added] = known.try_emplace(RecordKey(range.record),
                                                static_cast<std::uint32_t>(set.records.size()));
        if (added) {
            set.records.push_back(range.record);
        }
        set.ranges.push_back({range.first, range.last, entry->second});
    }
    return set;
}

WriteSummary MeasureCityDatabase(const CityRangeSet& set, const WriteOptions& options) {
    return Plan(set, options).summary;
}

WriteSummary MeasureCityDatabase(const CityRanges& ranges, const WriteOptions& options) {
    return MeasureCityDatabase(ToRangeSet(ranges), options);
}

WriteSummary WriteCityDatabase(const std::string& path, const CityRangeSet& set,
                               const WriteOptions& options) {
    DatabasePlan plan = Plan(set, options);
    CheckWritable(plan);
    WritePlan(path, plan, options);
    return plan.summary;
}

WriteSummary WriteCityDatabase(const std::string& path, const CityRanges& ranges,
                               const WriteOptions& options) {
    return WriteCityDatabase(path, ToRangeSet(ranges), options);
}

} // namespace orvanta::geoip
