// SPDX-License-Identifier: GPL-3.0-or-later
#include "geoip/CityImageCore.h"

#include "geoip/CityRecordDecoder.h"
#include "geoip/Editions.h"

namespace orvanta::geoip {

CityImageCore::CityImageCore(const std::string& fileName, int depth)
    : depth_(depth), bytes_(std::make_unique<const DatabaseImageBytes>(fileName)) {
    EditionBlock block = bytes_->ReadEditionBlock(depth_);
    edition_ = block.edition;
    segments_ = std::move(block.segments);
    recordLength_ = block.recordLength;
    if (!segments_.empty()) {
        tree_ = std::make_unique<ImageTree>(*bytes_, segments_[0], recordLength_, depth_);
    }
}

bool CityImageCore::IsCityEdition() const {
    return tree_ && FindCityEdition(edition_, depth_) != nullptr;
}

void CityImageCore::PrefetchRecord(std::uint32_t terminal) const {
    const std::int64_t position = RecordPosition(terminal, segments_[0], recordLength_);
    bytes_->Prefetch(position);
    bytes_->Prefetch(position + static_cast<std::int64_t>(RecordWindow) - 1);
}

void CityImageCore::DecodeRecord(std::uint32_t terminal, TGeoIPCity& record) const {
    const std::int64_t position = RecordPosition(terminal, segments_[0], recordLength_);
    if (const std::uint8_t* window = bytes_->Window(position, RecordWindow)) {
        DecodeCityRecord(window, edition_, record);
        return;
    }
    std::uint8_t bytes[RecordWindow];
    bytes_->ReadAt(position, bytes, sizeof bytes);
    DecodeCityRecord(bytes, edition_, record);
}

} // namespace orvanta::geoip
