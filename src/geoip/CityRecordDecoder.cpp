// SPDX-License-Identifier: GPL-3.0-or-later
#include "geoip/CityRecordDecoder.h"

#include "geoip/Editions.h"
#include "geoip/GeoIPCountries.h"

#include <cstring>
#include <string>

namespace orvanta::geoip {
namespace {

// The record window read bounds-checked: a number or text that would reach
// past byte 49 sees zeros there, so decoding never leaves the window.
class RecordWindowReader {
public:
    explicit RecordWindowReader(const std::uint8_t* bytes) : bytes_(bytes) {}

    std::uint8_t At(std::size_t offset) const { return offset < RecordWindow ? bytes_[offset] : 0; }

    // The text from the current offset to the next NUL, or to the window's
    // end when the window holds no NUL; the offset moves past the NUL.
    void NextText(std::string& text) {
        std::size_t start = offset_ < RecordWindow ? offset_ : RecordWindow;
        const void* nul = std::memchr(bytes_ + start, 0, RecordWindow - start);
        std::size_t end =
            nul ? static_cast<std::size_t>(static_cast<const std::uint8_t*>(nul) - bytes_)
                : RecordWindow;
        offset_ = nul ? end + 1 : RecordWindow;
        text.assign(reinterpret_cast<const char*>(bytes_ + start), end - start);
    }

    std::uint32_t NextNumber() {
        std::uint32_t value = At(offset_) | (At(offset_ + 1) << 8) | (At(offset_ + 2) << 16);
        offset_ += 3;
        return value;
    }

    void Skip(std::size_t count) { offset_ += count; }

private:
    const std::uint8_t* bytes_;
    std::size_t offset_ = 0;
};

// Degrees of a stored number: v / 10000 - 180. Subtracting 180 after the
// division cancels digits near 0 (179.9999 - 180 would show as
// -0.000100000000000003), so the offset is taken off the exact integer first;
// the one division then gives the double nearest the 4-decimal value, which
// reads exactly as that value with 15 significant digits.
double Degrees(std::uint32_t v) {
    const std::int32_t offset = static_cast<std::int32_t>(v) - 1800000;
    return static_cast<double>(offset) / 10000.0;
}

} // namespace

void DecodeCityRecord(const std::uint8_t* window, std::uint8_t edition, TGeoIPCity& record) {
    RecordWindowReader reader(window);
    const std::uint8_t country = reader.At(0);
    // Indices 253 to 255 lie past the tables; they read as index 0 does.
    const std::size_t index = country < CountryCount ? country : 0;
    record.CountryCode = CountryCodes[index];
    record.CountryName = CountryNames[index];
    reader.Skip(1);
    reader.NextText(record.Region);
    reader.NextText(record.City);
    reader.NextText(record.PostalCode);
    record.Latitude = Degrees(reader.NextNumber());
    record.Longitude = Degrees(reader.NextNumber());
    record.DmaCode = 0;
    record.AreaCode = 0;
    const EditionInfo* info = FindEdition(edition);
    if (info && info->usThirdNumber && record.CountryCode == "US") {
        const std::uint32_t combined = reader.NextNumber();
        record.DmaCode = static_cast<std::int32_t>(combined / 1000);
        record.AreaCode = static_cast<std::int32_t>(combined % 1000);
    }
}

} // namespace orvanta::geoip
