// SPDX-License-Identifier: GPL-3.0-or-later
#include "WriterTestSupport.h"

#include "geoip/GeoIPCountries.h"

namespace orvanta::geoip::test {

TGeoIPCity Expected(const CityRecordData& record, int edition) {
    TGeoIPCity city;
    city.CountryCode = CountryCodes[record.countryIndex];
    city.CountryName = CountryNames[record.countryIndex];
    city.Region = record.region;
    city.City = record.city;
    city.PostalCode = record.postalCode;
    city.Latitude = record.latitude;
    city.Longitude = record.longitude;
    if ((edition == 2 || edition == 30) && record.countryIndex == 225) {
        city.DmaCode = record.dmaCode;
        city.AreaCode = record.areaCode;
    }
    return city;
}

} // namespace orvanta::geoip::test
