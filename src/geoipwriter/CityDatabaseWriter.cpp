// SPDX-License-Identifier: GPL-3.0-or-later
#include "geoipwriter/CityDatabaseWriter.h"

#include "geoip/Editions.h"
#include "geoipwriter/RecordEncoder.h"
#include "geoipwriter/TreeDatabaseWriter.h"

#include <cstring>
#include <unordered_map>

namespace orvanta::geoip {
namespace {

const EditionInfo& CityEdition(const WriteOptions& options) {
    const EditionInfo* info = options.edition >= 0 && options.edition <= 255
                                  ? FindEdition(static_cast<std::uint8_t>(options.edition))
                                  : nullptr;
    if (!info || info->kind != RecordKind::City) {
        throw WriteError("edition " + std::to_string(options.edition) +
                         " is not a city edition (2 or 6, or 30 or 31 for IPv6)");
    }
    return *info;
}

RecordSource CityRecords(const CityRangeSet& set, const WriteOptions& options) {
    return {set.records.size(), [&set, options](std::uint32_t index) {
                return EncodeRecord(set.records[index], options.edition, options.fit);
            }};
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
    const EditionInfo& edition = CityEdition(options);
    return MeasureTreeDatabase(set.ranges, CityRecords(set, options), edition);
}

WriteSummary MeasureCityDatabase(const CityRanges& ranges, const WriteOptions& options) {
    return MeasureCityDatabase(ToRangeSet(ranges), options);
}

WriteSummary WriteCityDatabase(const std::string& path, const CityRangeSet& set,
                               const WriteOptions& options) {
    const EditionInfo& edition = CityEdition(options);
    return WriteTreeDatabase(path, set.ranges, CityRecords(set, options), edition);
}

WriteSummary WriteCityDatabase(const std::string& path, const CityRanges& ranges,
                               const WriteOptions& options) {
    return WriteCityDatabase(path, ToRangeSet(ranges), options);
}

} // namespace orvanta::geoip
