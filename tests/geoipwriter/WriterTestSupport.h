#pragma once
// A temporary folder for written databases, and the record a reader should
// give back for a record the writer was handed.

#include "geoip/TGeoIPCity.h"
#include "geoipwriter/CityRange.h"

#include <filesystem>
#include <string>
#include <vector>

namespace orvanta::geoip::test {

class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    std::string File(const std::string& name) const { return (path_ / name).string(); }
    // Names of the entries in the folder, sorted.
    std::vector<std::string> Entries() const;

private:
    std::filesystem::path path_;
};

TGeoIPCity Expected(const CityRecordData& record, int edition);

std::string ReadAll(const std::string& path);

} // namespace orvanta::geoip::test
