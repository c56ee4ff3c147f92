// SPDX-License-Identifier: GPL-3.0-or-later
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

constexpr int kIPv6Bits = 128;

// The family's ranges through the shared walk: for IPv6 without the IPv4
// part and its aliases, which the IPv4 file answers.
std::vector<DataRange> SourceRanges(const MmdbDatabase& database, bool ipv6, Progress& progress) {
    TreeWalk walk =
        MmdbTreeWalker(database, ipv6 ? kIPv6Bits : 32).Walk([&progress](std::uint64_t done) {
            progress.Advance(done);
        });
    return std::move(walk.ranges);
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
    const std::vector<DataRange> ranges = SourceRanges(database, ipv6, progress);
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
        const DataRange& range = ranges[i];
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
