// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One decoded city record, owned by the caller. Texts are the file's
// ISO-8859-1 bytes, unconverted.

#include <cstdint>
#include <string>

namespace orvanta::geoip {

struct TGeoIPCity {
    std::string CountryCode;
    std::string CountryName;
    std::string Region;
    std::string City;
    std::string PostalCode;
    double Latitude = 0;
    double Longitude = 0;
    std::int32_t DmaCode = 0;
    std::int32_t AreaCode = 0;

    bool operator==(const TGeoIPCity&) const = default;
};

} // namespace orvanta::geoip
