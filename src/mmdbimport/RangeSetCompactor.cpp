// SPDX-License-Identifier: GPL-3.0-or-later
#include "mmdbimport/RangeSetCompactor.h"

#include "mmdbimport/ImportedDatabase.h"

#include <cstring>
#include <string>
#include <unordered_map>

namespace orvanta::mmdbimport {
namespace {

void AppendBits(std::string& key, const void* value, std::size_t size) {
    key.append(static_cast<const char*>(value), size);
}

std::string RecordKey(const geoip::CityRecordData& r, const std::string& country) {
    std::string key;
    key.reserve(32 + r.region.size() + r.city.size() + r.postalCode.size());
    key += country;
    key += '\0';
    key += char(r.countryIndex);
    key += r.region;
    key += '\0';
    key += r.city;
    key += '\0';
    key += r.postalCode;
    key += '\0';
    AppendBits(key, &r.latitude, sizeof r.latitude);
    AppendBits(key, &r.longitude, sizeof r.longitude);
    AppendBits(key, &r.dmaCode, sizeof r.dmaCode);
    AppendBits(key, &r.areaCode, sizeof r.areaCode);
    return key;
}

} // namespace

void RangeSetCompactor::Compact(ImportedDatabase& database) {
    auto& set = database.set;
    const std::size_t oldCount = set.records.size();
    constexpr std::uint32_t kUnset = 0xFFFFFFFFu;
    std::vector<std::uint32_t> remap(oldCount, kUnset);
    std::unordered_map<std::string, std::uint32_t> byKey;
    byKey.reserve(oldCount);
    std::vector<geoip::CityRecordData> records;
    std::vector<std::string> countries;

    std::vector<geoip::IndexedRange> ranges;
    ranges.reserve(set.ranges.size());
    for (const auto& range : set.ranges) {
        std::uint32_t& index = remap[range.recordIndex];
        if (index == kUnset) {
            const auto& country = database.countryCodes[range.recordIndex];
            auto [it, inserted] = byKey.try_emplace(
                RecordKey(set.records[range.recordIndex], country), std::uint32_t(records.size()));
            if (inserted) {
                records.push_back(std::move(set.records[range.recordIndex]));
                countries.push_back(country);
            }
            index = it->second;
        }
        if (!ranges.empty() && ranges.back().recordIndex == index &&
            ranges.back().last + 1 == range.first && ranges.back().last != geoip::AllAddressBits) {
            ranges.back().last = range.last;
        } else {
            ranges.push_back({range.first, range.last, index});
        }
    }
    set.records = std::move(records);
    set.ranges = std::move(ranges);
    database.countryCodes = std::move(countries);
}

} // namespace orvanta::mmdbimport
