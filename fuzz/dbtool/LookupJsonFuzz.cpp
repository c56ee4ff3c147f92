// Arbitrary bytes as an address line and as record texts: every JSON line the
// lookup writes must parse, as UTF-8, with the address's valid UTF-8 kept.

#include "LookupFormatter.h"

#include <cstdint>
#include <nlohmann/json.hpp>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace orvanta;
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    geoip::TGeoIPCity record;
    record.City = bytes;
    record.Region = bytes.substr(size / 2);
    record.Latitude = size % 2 ? -180.0 : 1497.7215;
    std::string line;
    dbtool::LookupFormatter(dbtool::LookupFormat::Json)
        .AppendLine(line, {bytes, geoip::lrFound, &record, static_cast<std::uint32_t>(size),
                           static_cast<int>(size % 34) - 1});
    if (line.empty() || line.back() != '\n' || line.find('\n') != line.size() - 1) {
        __builtin_trap();
    }
    try {
        const nlohmann::json object = nlohmann::json::parse(line);
        if (object.size() != 12 || !object["Latitude"].is_number()) {
            __builtin_trap();
        }
    } catch (const nlohmann::json::exception&) {
        __builtin_trap();
    }
    return 0;
}
