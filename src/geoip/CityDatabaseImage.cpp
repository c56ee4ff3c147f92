#include "geoip/CityDatabaseImage.h"

#include "geoip/CityRecordDecoder.h"
#include "geoip/Editions.h"
#include "geoip/TGeoIP.h"

namespace orvanta::geoip {

CityDatabaseImage::CityDatabaseImage(const std::string& fileName)
    : bytes_(std::make_unique<const DatabaseImageBytes>(fileName)) {
    EditionBlock block = bytes_->ReadEditionBlock(32);
    edition_ = block.edition;
    segments_ = std::move(block.segments);
    recordLength_ = block.recordLength;
    if (!segments_.empty()) {
        tree_ = std::make_unique<ImageTree>(*bytes_, segments_[0], recordLength_, 32);
    }
}

bool CityDatabaseImage::IsCityEdition() const {
    return FindCityEdition(edition_, 32) != nullptr;
}

CityDatabaseImage::Walk CityDatabaseImage::WalkTree(std::uint32_t address) const {
    return tree_ ? tree_->Walk(address) : Walk{0, 0};
}

TLookupResult CityDatabaseImage::Find(std::uint32_t address, Walk& walk) const {
    walk = {0, -1};
    if (!IsCityEdition()) {
        return lrNotCityEdition;
    }
    walk = WalkTree(address);
    return walk.value == segments_[0] ? lrNotFound : lrFound;
}

void CityDatabaseImage::FindMany(const std::uint32_t* addresses, std::size_t count, Walk* walks,
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

void CityDatabaseImage::PrefetchRecord(std::uint32_t terminal) const {
    const std::int64_t position = RecordPosition(terminal, segments_[0], recordLength_);
    bytes_->Prefetch(position);
    bytes_->Prefetch(position + static_cast<std::int64_t>(RecordWindow) - 1);
}

void CityDatabaseImage::DecodeRecord(std::uint32_t terminal, TGeoIPCity& record) const {
    const std::int64_t position = RecordPosition(terminal, segments_[0], recordLength_);
    if (const std::uint8_t* window = bytes_->Window(position, RecordWindow)) {
        DecodeCityRecord(window, edition_, record);
        return;
    }
    std::uint8_t bytes[RecordWindow];
    bytes_->ReadAt(position, bytes, sizeof bytes);
    DecodeCityRecord(bytes, edition_, record);
}

TLookupResult CityDatabaseImage::LookupCity(const std::string& address, TGeoIPCity& record,
                                            int& prefixLength) const {
    prefixLength = -1;
    const std::uint32_t number = TGeoIP::AddressToNumber(address);
    if (number == 0) {
        return lrInvalidAddress;
    }
    Walk walk;
    const TLookupResult result = Find(number, walk);
    prefixLength = walk.prefixLength;
    if (result == lrFound) {
        DecodeRecord(walk.value, record);
    }
    return result;
}

} // namespace orvanta::geoip
