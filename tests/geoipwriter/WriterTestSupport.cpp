#include "WriterTestSupport.h"

#include "geoip/GeoIPCountries.h"

#include <algorithm>
#include <fstream>
#include <random>
#include <stdexcept>

namespace orvanta::geoip::test {

TempFolder::TempFolder() {
    std::random_device seed;
    for (int attempt = 0; attempt < 100; ++attempt) {
        auto candidate = std::filesystem::temp_directory_path() /
                         ("orvanta-writer-test-" + std::to_string(seed()));
        if (std::filesystem::create_directory(candidate)) {
            path_ = candidate;
            return;
        }
    }
    throw std::runtime_error("cannot create a temporary folder");
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::vector<std::string> TempFolder::Entries() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(path_)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

TGeoIPCity Expected(const CityRecordData& record, int edition) {
    TGeoIPCity city;
    city.CountryCode = CountryCodes[record.countryIndex];
    city.CountryName = CountryNames[record.countryIndex];
    city.Region = record.region;
    city.City = record.city;
    city.PostalCode = record.postalCode;
    city.Latitude = record.latitude;
    city.Longitude = record.longitude;
    if (edition == 2 && record.countryIndex == 225) {
        city.DmaCode = record.dmaCode;
        city.AreaCode = record.areaCode;
    }
    return city;
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

} // namespace orvanta::geoip::test
