// SPDX-License-Identifier: GPL-3.0-or-later
#include "geoip/CityDatabaseImage.h"

#include "geoip/TGeoIP.h"

namespace orvanta::geoip {

CityDatabaseImage::CityDatabaseImage(const std::string& fileName) : core_(fileName, 32) {}

CityDatabaseImage::Walk CityDatabaseImage::WalkTree(std::uint32_t address) const {
    return core_.WalkTree(address);
}

TLookupResult CityDatabaseImage::Find(std::uint32_t address, Walk& walk) const {
    return core_.Find(address, walk);
}

void CityDatabaseImage::FindMany(const std::uint32_t* addresses, std::size_t count, Walk* walks,
                                 TLookupResult* results) const {
    core_.FindMany(addresses, count, walks, results);
}

void CityDatabaseImage::PrefetchRecord(std::uint32_t terminal) const {
    core_.PrefetchRecord(terminal);
}

void CityDatabaseImage::DecodeRecord(std::uint32_t terminal, TGeoIPCity& record) const {
    core_.DecodeRecord(terminal, record);
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
