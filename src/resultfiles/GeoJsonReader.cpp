// SPDX-License-Identifier: GPL-3.0-or-later
#include "resultfiles/GeoJsonReader.h"

#include "resultfiles/GeoJsonWriter.h"

#include "json/BoundedJson.h"
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <nlohmann/json.hpp>

namespace orvanta::resultfiles {
namespace {

using Json = nlohmann::json;
using Event = Json::parse_event_t;

constexpr int kMaxDepth = 64;

std::size_t LineAt(std::string_view text, std::size_t offset) {
    offset = std::min(offset, text.size());
    return 1 + static_cast<std::size_t>(std::count(text.begin(), text.begin() + offset, '\n'));
}

// A feature's failure, before the file name is known to the message.
struct FeatureError {
    std::string what;
};

bool InRange(double latitude, double longitude) {
    return std::isfinite(latitude) && std::isfinite(longitude) && latitude >= -90 &&
           latitude <= 90 && longitude >= -180 && longitude <= 180;
}

// One feature as a row. Values with our names and types are taken in any
// file; `strictError` says what keeps it from being a row as Orvanta
// writes one (for foreign files that does not matter).
struct FeatureRow {
    ResultRecord row;
    bool point = false;
    std::string strictError;
};

class FeatureReader {
public:
    explicit FeatureReader(const Json& feature) : feature_(feature) {}

    FeatureRow Read() {
        if (!feature_.is_object() || feature_.value("type", Json()) != "Feature")
            throw FeatureError{"is not a GeoJSON Feature"};
        ReadGeometry();
        const auto properties = feature_.find("properties");
        if (properties == feature_.end() || properties->is_null())
            Strict("has no properties");
        else if (!properties->is_object())
            throw FeatureError{"has properties that are not an object"};
        else
            ReadProperties(*properties);
        return std::move(out_);
    }

private:
    void Strict(const std::string& what) {
        if (out_.strictError.empty())
            out_.strictError = what;
    }

    void ReadGeometry() {
        const auto geometry = feature_.find("geometry");
        if (geometry == feature_.end())
            throw FeatureError{"has no geometry"};
        if (geometry->is_null())
            return;
        if (!geometry->is_object() || !geometry->contains("type"))
            throw FeatureError{"has a geometry that is not a GeoJSON geometry"};
        if ((*geometry)["type"] != "Point") {
            Strict("is not a Point");
            return;
        }
        const auto coordinates = geometry->find("coordinates");
        if (coordinates == geometry->end() || !coordinates->is_array() || coordinates->size() < 2 ||
            coordinates->size() > 3 ||
            !std::all_of(coordinates->begin(), coordinates->end(),
                         [](const Json& n) { return n.is_number(); }))
            throw FeatureError{"has Point coordinates that are not two or three numbers"};
        const double longitude = (*coordinates)[0].get<double>();
        const double latitude = (*coordinates)[1].get<double>();
        if (!InRange(latitude, longitude))
            throw FeatureError{"has coordinates out of range (latitude -90..90, "
                               "longitude -180..180)"};
        out_.point = true;
        out_.row.found = true;
        out_.row.latitude = latitude;
        out_.row.longitude = longitude;
    }

    const Json* Property(const Json& properties, const char* name, bool (Json::*is)() const,
                         bool nullable) {
        const auto value = properties.find(name);
        if (value == properties.end()) {
            Strict(std::string("has no property \"") + name + "\"");
            return nullptr;
        }
        if (nullable && value->is_null())
            return nullptr;
        if (!((*value).*is)()) {
            Strict(std::string("has a property \"") + name + "\" of the wrong type");
            return nullptr;
        }
        return &*value;
    }

    void Text(const Json& properties, const char* name, std::string& into) {
        if (const Json* v = Property(properties, name, &Json::is_string, false))
            into = v->get<std::string>();
    }

    template <typename T>
    void Whole(const Json& properties, const char* name, std::optional<T>& into) {
        const Json* v = Property(properties, name, &Json::is_number_unsigned, true);
        if (v == nullptr)
            return;
        const auto value = v->get<std::uint64_t>();
        if (value > std::numeric_limits<T>::max())
            Strict(std::string("has a property \"") + name + "\" out of range");
        else
            into = static_cast<T>(value);
    }

    void ReadProperties(const Json& properties) {
        ResultRecord& row = out_.row;
        Text(properties, "address", row.address);
        if (const Json* v = Property(properties, "result", &Json::is_string, false)) {
            if (*v == kFound || *v == kNotFound)
                row.found = *v == kFound;
            else
                Strict("has a \"result\" that is neither \"found\" nor \"not found\"");
        }
        Text(properties, "countryCode", row.countryCode);
        Text(properties, "countryName", row.countryName);
        Text(properties, "region", row.region);
        Text(properties, "city", row.city);
        Text(properties, "organization", row.organization);
        if (const Json* v = Property(properties, "hostName", &Json::is_string, true))
            row.hostName = v->get<std::string>();
        Whole(properties, "asn", row.asn);
        Whole(properties, "count", row.count);
        Whole(properties, "bytes", row.bytes);
        CheckCoordinates(properties);
    }

    // Our files say the coordinates twice: as the Point and as properties
    // that tools without geometry support can read. They must agree.
    void CheckCoordinates(const Json& properties) {
        const Json* latitude = Property(properties, "latitude", &Json::is_number, true);
        const Json* longitude = Property(properties, "longitude", &Json::is_number, true);
        const bool agree = out_.point ? latitude != nullptr && longitude != nullptr &&
                                            latitude->get<double>() == *out_.row.latitude &&
                                            longitude->get<double>() == *out_.row.longitude
                                      : latitude == nullptr && longitude == nullptr;
        if (!agree)
            Strict("has \"latitude\" and \"longitude\" that disagree with its geometry");
    }

    const Json& feature_;
    FeatureRow out_;
};

class Reader {
public:
    Reader(std::string_view text, const std::string& fileName, std::size_t maxFeatures)
        : text_(text), file_(fileName), maxFeatures_(maxFeatures) {}

    GeoJsonContents Read() {
        const std::size_t deep = json::FindTooDeep(text_, kMaxDepth);
        if (deep != std::string_view::npos)
            Fail("line " + std::to_string(LineAt(text_, deep)) + ": nested deeper than " +
                 std::to_string(kMaxDepth) + " levels");
        Json root;
        try {
            root = Json::parse(text_.begin(), text_.end(),
                               [this](int depth, Event event, Json& parsed) {
                                   return Take(depth, event, parsed);
                               });
        } catch (const Json::parse_error& e) {
            std::string what = e.what();
            const auto colon = what.find(": ", what.find("parse error"));
            what = colon == std::string::npos ? what : what.substr(colon + 2);
            Fail("line " + std::to_string(LineAt(text_, e.byte == 0 ? 0 : e.byte - 1)) +
                 ": not valid JSON (" + what + ")");
        } catch (const Json::exception& e) {
            // A number past a double's range ("1e999") is the only other
            // failure of the parser; its text names the number.
            std::string what = e.what();
            const auto bracket = what.find("] ");
            Fail("not valid JSON (" +
                 (bracket == std::string::npos ? what : what.substr(bracket + 2)) + ")");
        } catch (const FeatureError& e) {
            Fail("feature " + std::to_string(features_) + " " + e.what);
        }
        return Finish(root);
    }

private:
    [[noreturn]] void Fail(const std::string& what) const {
        throw ResultFileError("Cannot read \"" + file_ + "\": " + what);
    }

    // Called by the parser for every element; false drops the element, so
    // features are turned into rows one by one and never kept as a tree.
    bool Take(int depth, Event event, Json& parsed) {
        if (depth == 1 && event == Event::key) {
            topKey_ = parsed.get<std::string>();
            sawFeatures_ = sawFeatures_ || topKey_ == "features";
            return true;
        }
        const bool ends =
            event == Event::value || event == Event::object_end || event == Event::array_end;
        if (topKey_ == "features" && depth == 2 && ends) {
            ++features_;
            if (features_ > maxFeatures_)
                throw FeatureError{"is one too many: a file holds at most " +
                                   std::to_string(maxFeatures_) + " features"};
            Keep(FeatureReader(parsed).Read());
            return false;
        }
        if (depth == 1 && ends) {
            if (topKey_ == kFormatMember)
                CheckFormat(parsed);
            if (topKey_ == "features" && event != Event::array_end)
                Fail("\"features\" is not an array");
            // Only what says what the document is stays; the rest (a
            // foreign "bbox", any member of other tools) is dropped.
            return topKey_ == "type" || topKey_ == "geometry" || topKey_ == "properties";
        }
        return true;
    }

    void Keep(FeatureRow&& feature) {
        if (ownStrictError_.empty() && !feature.strictError.empty())
            ownStrictError_ = "feature " + std::to_string(features_) + " " + feature.strictError;
        points_.push_back(feature.point);
        rows_.push_back(std::move(feature.row));
    }

    void CheckFormat(const Json& member) {
        const auto format = member.is_object() ? member.find("format") : member.end();
        if (format == member.end() || !format->is_number_unsigned() || *format == 0)
            Fail("the \"" + std::string(kFormatMember) + "\" member names no known format");
        if (format->get<std::uint64_t>() > kGeoJsonFormat)
            Fail("written by a newer Orvanta (file format " + format->dump() +
                 "; this version reads format " + std::to_string(kGeoJsonFormat) + ")");
        own_ = true;
    }

    GeoJsonContents Finish(const Json& root) {
        const Json type = root.is_object() ? root.value("type", Json()) : Json();
        GeoJsonContents out;
        out.ownFile = own_;
        if (type == "Feature") {
            features_ = 1;
            try {
                Keep(FeatureReader(root).Read());
            } catch (const FeatureError& e) {
                Fail("feature 1 " + e.what);
            }
        } else if (type != "FeatureCollection" || !sawFeatures_) {
            Fail("not a GeoJSON FeatureCollection or Feature");
        }
        if (own_) {
            if (!ownStrictError_.empty())
                Fail(ownStrictError_);
            out.rows = std::move(rows_);
            return out;
        }
        for (std::size_t i = 0; i < rows_.size(); ++i)
            if (points_[i])
                out.rows.push_back(std::move(rows_[i]));
        if (out.rows.empty() && features_ > 0)
            Fail("no feature is a Point");
        return out;
    }

    std::string_view text_;
    std::string file_;
    std::size_t maxFeatures_;
    std::string topKey_;
    std::size_t features_ = 0;
    bool sawFeatures_ = false;
    bool own_ = false;
    std::string ownStrictError_;
    std::vector<ResultRecord> rows_;
    std::vector<bool> points_;
};

} // namespace

GeoJsonContents ReadGeoJson(std::string_view text, const std::string& fileName,
                            std::size_t maxFeatures) {
    return Reader(text, fileName, maxFeatures).Read();
}

GeoJsonContents ReadGeoJsonFile(const std::string& path) {
    // A pipe or a device would block the open or never end.
    std::error_code error;
    if (std::filesystem::exists(path, error) && !std::filesystem::is_regular_file(path, error))
        throw ResultFileError("Cannot read \"" + path + "\": not a regular file");
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw ResultFileError("Cannot open file \"" + path + "\". " + std::strerror(errno));
    in.seekg(0, std::ios::end);
    const auto size = static_cast<std::streamoff>(in.tellg());
    if (size < 0)
        throw ResultFileError("Cannot read \"" + path + "\": not a regular file");
    if (static_cast<std::uint64_t>(size) > kMaxFileBytes)
        throw ResultFileError("Cannot read \"" + path + "\": larger than " +
                              std::to_string(kMaxFileBytes >> 20) + " MB");
    std::string text(static_cast<std::size_t>(size), '\0');
    in.seekg(0);
    if (!in.read(text.data(), size))
        throw ResultFileError("Cannot read \"" + path + "\": the read failed");
    return ReadGeoJson(text, path);
}

bool LooksLikeGeoJson(std::string_view start) {
    if (start.substr(0, 3) == "\xEF\xBB\xBF")
        start.remove_prefix(3);
    const auto first = start.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos || start[first] != '{')
        return false;
    return start.find("\"FeatureCollection\"") != std::string_view::npos ||
           start.find("\"Feature\"") != std::string_view::npos;
}

} // namespace orvanta::resultfiles
