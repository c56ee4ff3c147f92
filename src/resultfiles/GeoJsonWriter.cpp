// SPDX-License-Identifier: GPL-3.0-or-later
#include "resultfiles/GeoJsonWriter.h"

#include <nlohmann/json.hpp>

namespace orvanta::resultfiles {
namespace {

using Json = nlohmann::ordered_json;

template <typename T> Json OrNull(const std::optional<T>& value) {
    return value ? Json(*value) : Json(nullptr);
}

// One feature at a time, so a long list never becomes one large tree.
Json Feature(const ResultRecord& row) {
    Json properties = Json::object();
    properties["address"] = row.address;
    properties["result"] = row.found ? kFound : kNotFound;
    properties["countryCode"] = row.countryCode;
    properties["countryName"] = row.countryName;
    properties["region"] = row.region;
    properties["city"] = row.city;
    properties["latitude"] = OrNull(row.latitude);
    properties["longitude"] = OrNull(row.longitude);
    properties["hostName"] = OrNull(row.hostName);
    properties["asn"] = OrNull(row.asn);
    properties["organization"] = row.organization;
    properties["count"] = OrNull(row.count);
    properties["bytes"] = OrNull(row.bytes);

    Json feature = Json::object();
    feature["type"] = "Feature";
    if (row.Located())
        feature["geometry"] = {{"type", "Point"},
                               {"coordinates", Json::array({*row.longitude, *row.latitude})}};
    else
        feature["geometry"] = nullptr;
    feature["properties"] = std::move(properties);
    return feature;
}

} // namespace

void WriteGeoJson(std::ostream& out, const std::vector<ResultRecord>& rows) {
    out << "{\"type\":\"FeatureCollection\",\"" << kFormatMember
        << "\":{\"format\":" << kGeoJsonFormat << "},\"features\":[";
    bool first = true;
    for (const ResultRecord& row : rows) {
        out << (first ? "\n" : ",\n");
        first = false;
        // Texts that are not UTF-8 cannot be JSON; they go out with U+FFFD
        // in place of the bad bytes rather than failing the whole file.
        out << Feature(row).dump(-1, ' ', false, Json::error_handler_t::replace);
    }
    out << "\n]}\n";
}

} // namespace orvanta::resultfiles
