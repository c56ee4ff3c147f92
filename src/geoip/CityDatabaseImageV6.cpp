// SPDX-License-Identifier: GPL-3.0-or-later
#include "geoip/CityDatabaseImageV6.h"

#include "geoip/IPv6Text.h"

namespace orvanta::geoip {
namespace {

constexpr int Depth = 128;

} // namespace

CityDatabaseImageV6::CityDatabaseImageV6(const std::string& fileName) : core_(fileName, Depth) {}

TLookupResult CityDatabaseImageV6::Find(AddressValue address, Walk& walk) const {
    return core_.Find(address, walk);
}

void CityDatabaseImageV6::FindMany(const AddressValue* addresses, std::size_t count, Walk* walks,
                                   TLookupResult* results) const {
    core_.FindMany(addresses, count, walks, results);
}

void CityDatabaseImageV6::PrefetchRecord(std::uint32_t terminal) const {
    core_.PrefetchRecord(terminal);
}

void CityDatabaseImageV6::DecodeRecord(std::uint32_t terminal, TGeoIPCity& record) const {
    core_.DecodeRecord(terminal, record);
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
