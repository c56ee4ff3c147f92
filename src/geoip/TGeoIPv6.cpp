// SPDX-License-Identifier: GPL-3.0-or-later
#include "geoip/TGeoIPv6.h"

#include "geoip/CityRecordDecoder.h"
#include "geoip/EditionBlock.h"
#include "geoip/Editions.h"
#include "geoip/IPv6Text.h"

namespace orvanta::geoip {
namespace {

constexpr int Depth = 128;

} // namespace

TGeoIPv6::TGeoIPv6(const std::string& fileName) : file_(fileName) {
    EditionBlock block = ReadEditionBlock(
        file_.size(),
        [this](std::int64_t position, std::uint8_t* buffer, std::size_t size) {
            return file_.ReadAt(position, buffer, size);
        },
        Depth);
    edition_ = block.edition;
    segments_ = std::move(block.segments);
    valueBytes_ = block.recordLength;
}

TreeWalkResult TGeoIPv6::WalkTree(AddressValue address) {
    if (segments_.empty()) {
        return {0, 0};
    }
    return WalkSearchTree(address, Depth, segments_[0], [this](std::uint32_t node, int side) {
        std::uint8_t bytes[8];
        file_.ReadAt(static_cast<std::int64_t>(node) * 2 * valueBytes_, bytes,
                     static_cast<std::size_t>(2 * valueBytes_));
        return LittleEndian(side ? bytes + valueBytes_ : bytes, valueBytes_);
    });
}

TLookupResult TGeoIPv6::LookupCity(const std::string& address, TGeoIPCity& record) {
    int prefixLength = 0;
    return LookupCity(address, record, prefixLength);
}

TLookupResult TGeoIPv6::LookupCity(const std::string& address, TGeoIPCity& record,
                                   int& prefixLength) {
    prefixLength = -1;
    const std::optional<AddressValue> value = ParseIPv6Address(address);
    if (!value) {
        return lrInvalidAddress;
    }
    if (segments_.empty() || !FindCityEdition(edition_, Depth)) {
        return lrNotCityEdition;
    }
    const TreeWalkResult walk = WalkTree(*value);
    prefixLength = walk.prefixLength;
    const std::uint32_t boundary = segments_[0];
    if (walk.value == boundary) {
        return lrNotFound;
    }
    std::uint8_t bytes[RecordWindow];
    file_.ReadAt(RecordPosition(walk.value, boundary, valueBytes_), bytes, sizeof bytes);
    DecodeCityRecord(bytes, edition_, record);
    return lrFound;
}

} // namespace orvanta::geoip
