// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One data record of an MMDB city database, reduced to what a legacy city
// record can hold. Texts are UTF-8 as the source stores them.

#include <cstdint>
#include <string>

namespace orvanta::mmdbimport {

// The two record layouts in use: flat keys (country_code, state1, city,
// postcode, latitude, longitude) or the nested city layout (country.iso_code,
// subdivisions[0].iso_code or else subdivisions[0].names.en, city.names.en,
// postal.code, location.*).
enum class RecordShape { Flat, Nested };

const char* ShapeName(RecordShape shape);

struct SourceRecord {
    std::string countryCode;
    std::string region;
    std::string city;
    std::string postalCode;
    double latitude = 0;
    double longitude = 0;
    std::uint32_t metroCode = 0; // nested shape only

    bool operator==(const SourceRecord&) const = default;
};

} // namespace orvanta::mmdbimport
