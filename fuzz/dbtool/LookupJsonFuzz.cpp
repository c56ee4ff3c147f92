// SPDX-License-Identifier: GPL-3.0-or-later
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
    dbtool::LookupAnswer answer{bytes, geoip::lrFound, &record, static_cast<std::uint32_t>(size),
                                static_cast<int>(size % 34) - 1};
    // An organisation text of any bytes, "AS<number> " or not, on every other input.
    if (size % 3 != 0) {
        answer.organization = std::string_view(bytes);
    }
    dbtool::LookupFormatter(dbtool::LookupFormat::Json).AppendLine(line, answer);
    if (line.empty() || line.back() != '\n' || line.find('\n') != line.size() - 1) {
        __builtin_trap();
    }
    try {
        const nlohmann::json object = nlohmann::json::parse(line);
        if (object.size() != 15 || !object["Latitude"].is_number() || !object.contains("special") ||
            object["organization"].is_null() != (size % 3 == 0)) {
            __builtin_trap();
        }
    } catch (const nlohmann::json::exception&) {
        __builtin_trap();
    }
    return 0;
}
