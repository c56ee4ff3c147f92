#include "geoip/CityDatabaseImageV6.h"

#include "geoip/CityRecordDecoder.h"
#include "geoip/Editions.h"
#include "geoip/IPv6Text.h"

namespace orvanta::geoip {
namespace {

constexpr int Depth = 128;

} // namespace

CityDatabaseImageV6::CityDatabaseImageV6(const std::string& fileName)
    : bytes_(std::make_unique<const DatabaseImageBytes>(fileName)) {
    EditionBlock block = bytes_->ReadEditionBlock(Depth);
    edition_ = block.edition;
    segments_ = std::move(block.segments);
    recordLength_ = block.recordLength;
    if (!segments_.empty()) {
        tree_ = std::make_unique<ImageTree>(*bytes_, segments_[0], recordLength_, Depth);
    }
}

bool CityDatabaseImageV6::IsCityEdition() const {
    return tree_ && FindCityEdition(edition_, Depth) != nullptr;
}

TLookupResult CityDatabaseImageV6::Find(AddressValue address, Walk& walk) const {
    walk = {0, -1};
    if (!IsCityEdition()) {
        return lrNotCityEdition;
    }
    walk = tree_->Walk(address);
    return walk.value == segments_[0] ? lrNotFound : lrFound;
}

void CityDatabaseImageV6::FindMany(const AddressValue* addresses, std::size_t count, Walk* walks,
                                   TLookupResult* results) const {
    if (!IsCityEdition()) {
        for (std::size_t i = 0; i < count; ++i) {
            walks[i] = {0, -1};
            results[i] = lrNotCityEdition;
        }
        return;
    }
    tree_->WalkMany(addresses, count, walks);
    for (std::size_t i = 0; i < count; ++i) {
        results[i] = walks[i].value == segments_[0] ? lrNotFound : lrFound;
    }
}

void CityDatabaseImageV6::PrefetchRecord(std::uint32_t terminal) const {
    const std::int64_t position = RecordPosition(terminal, segments_[0], recordLength_);
    bytes_->Prefetch(position);
    bytes_->Prefetch(position + static_cast<std::int64_t>(RecordWindow) - 1);
}

void CityDatabaseImageV6::DecodeRecord(std::uint32_t terminal, TGeoIPCity& record) const {
    const std::int64_t position = RecordPosition(terminal, segments_[0], recordLength_);
    if (const std::uint8_t* window = bytes_->Window(position, RecordWindow)) {
        DecodeCityRecord(window, edition_, record);
        return;
    }
    std::uint8_t bytes[RecordWindow];
    bytes_->ReadAt(position, bytes, sizeof bytes);
    DecodeCityRecord(bytes, edition_, record);
}

TLookupResult CityDatabaseImageV6::LookupCity(const std::string& address, TGeoIPCity& record,
                                              int& prefixLength) const {
    prefixLength = -1;
    const std::optional<AddressValue> value = ParseIPv6Address(address);
    if (!value) {
        return lrInvalidAddress;
    }
    Walk walk;
    const TLookupResult result = Find(*value, walk);
    prefixLength = walk.prefixLength;
    if (result == lrFound) {
        DecodeRecord(walk.value, record);
    }
    return result;
}

} // namespace orvanta::geoip
