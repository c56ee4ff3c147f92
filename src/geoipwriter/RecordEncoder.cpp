// SPDX-License-Identifier: GPL-3.0-or-later
#include "geoipwriter/RecordEncoder.h"

#include "geoip/Editions.h"
#include "geoip/GeoIPCountries.h"
#include "geoipwriter/CityDatabaseWriter.h"

#include <array>
#include <cmath>
#include <string_view>

namespace orvanta::geoip {
namespace {

constexpr std::uint8_t UnitedStates = 225;

void AppendNumber(std::string& out, std::uint32_t value) {
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>((value >> 8) & 0xFF);
    out += static_cast<char>((value >> 16) & 0xFF);
}

void CheckText(const std::string& text, const char* what) {
    if (text.find('\0') != std::string::npos) {
        throw WriteError(std::string(what) + " contains a NUL byte");
    }
}

std::uint32_t Coordinate(double degrees, const char* what) {
    std::uint32_t number = 0;
    if (!CoordinateNumber(degrees, number)) {
        throw WriteError(std::string(what) + " " + std::to_string(degrees) +
                         " is outside -180 to 1497.7215");
    }
    return number;
}

// Cuts the longest of the three texts one byte at a time (the postal code
// first, the city last on equal lengths) until `excess` bytes are gone.
void Shorten(std::array<std::string, 3>& texts, std::size_t excess) {
    static constexpr std::array<std::size_t, 3> preference = {2, 0, 1}; // postal, region, city
    while (excess > 0) {
        std::string* longest = nullptr;
        for (std::size_t index : preference) {
            if (!longest || texts[index].size() > longest->size()) {
                longest = &texts[index];
            }
        }
        if (longest->empty()) {
            return; // cannot happen: the fixed part alone fits the window
        }
        longest->pop_back();
        --excess;
    }
}

} // namespace

bool CoordinateNumber(double degrees, std::uint32_t& number) {
    if (!std::isfinite(degrees) || degrees < -181.0 || degrees > 1500.0) {
        return false;
    }
    long long value = std::llround(degrees * 10000.0) + 1800000;
    if (value < 0 || value > MaxThreeByteValue) {
        return false;
    }
    number = static_cast<std::uint32_t>(value);
    return true;
}

EncodedRecord EncodeRecord(const CityRecordData& record, int edition, bool fit) {
    if (record.countryIndex >= CountryCount) {
        throw WriteError("country index " + std::to_string(record.countryIndex) +
                         " is outside the country tables");
    }
    CheckText(record.region, "region");
    CheckText(record.city, "city");
    CheckText(record.postalCode, "postal code");
    std::uint32_t latitude = Coordinate(record.latitude, "latitude");
    std::uint32_t longitude = Coordinate(record.longitude, "longitude");

    const EditionInfo* info =
        edition >= 0 && edition <= 255 ? FindEdition(static_cast<std::uint8_t>(edition)) : nullptr;
    const bool thirdNumber = info && info->usThirdNumber && record.countryIndex == UnitedStates;
    std::uint32_t combined = 0;
    if (thirdNumber) {
        if (record.dmaCode < 0 || record.areaCode < 0 || record.areaCode > 999 ||
            static_cast<std::uint64_t>(record.dmaCode) * 1000 + record.areaCode >
                MaxThreeByteValue) {
            throw WriteError("DMA code " + std::to_string(record.dmaCode) + " and area code " +
                             std::to_string(record.areaCode) + " do not fit 3 bytes");
        }
        combined = static_cast<std::uint32_t>(record.dmaCode) * 1000 +
                   static_cast<std::uint32_t>(record.areaCode);
    }

    EncodedRecord encoded;
    // Views of the record's texts; copies are made only to shorten them.
    std::array<std::string_view, 3> texts = {record.region, record.city, record.postalCode};
    std::array<std::string, 3> shortened;
    const std::size_t fixed = 1 + 3 + 6 + (thirdNumber ? 3 : 0);
    const std::size_t length = fixed + texts[0].size() + texts[1].size() + texts[2].size();
    if (length > RecordWindowSize) {
        encoded.overlong = true;
        if (fit) {
            shortened = {record.region, record.city, record.postalCode};
            Shorten(shortened, length - RecordWindowSize);
            texts = {shortened[0], shortened[1], shortened[2]};
            encoded.shortened = true;
        }
    }
    std::string& out = encoded.bytes;
    out.reserve(fixed + texts[0].size() + texts[1].size() + texts[2].size());
    out += static_cast<char>(record.countryIndex);
    for (std::string_view text : texts) {
        out += text;
        out += '\0';
    }
    AppendNumber(out, latitude);
    AppendNumber(out, longitude);
    if (thirdNumber) {
        AppendNumber(out, combined);
    }
    return encoded;
}

} // namespace orvanta::geoip
