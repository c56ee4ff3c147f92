// SPDX-License-Identifier: GPL-3.0-or-later
// GeoJSON files that must be refused whole, each with a message that names
// the file and the line or the feature at fault.
#include "resultfiles/GeoJsonReader.h"

#include <gtest/gtest.h>

namespace {

using namespace orvanta::resultfiles;

// An own file's feature with `properties` in place of the usual ones.
std::string Own(const std::string& properties, const std::string& geometry = "null",
                const std::string& format = "1") {
    return R"({"type":"FeatureCollection","orvanta":{"format":)" + format + R"(},"features":[)" +
           "\n" + R"({"type":"Feature","geometry":)" + geometry + R"(,"properties":{)" +
           properties + "}}\n]}";
}

const std::string kGood =
    R"("address":"1.2.3.4","result":"not found","countryCode":"","countryName":"",)"
    R"("region":"","city":"","latitude":null,"longitude":null,"hostName":null,"asn":null,)"
    R"("organization":"","count":null)";

std::string Points(int count) {
    std::string text = R"({"type":"FeatureCollection","features":[)";
    for (int i = 0; i < count; ++i)
        text += std::string(i ? "," : "") +
                R"({"type":"Feature","geometry":{"type":"Point","coordinates":[1,2]}})";
    return text + "]}";
}

struct BadFile {
    const char* name;
    std::string text;
    const char* message;
};

class BadFiles : public testing::TestWithParam<BadFile> {};

TEST_P(BadFiles, AreRefusedWhole) {
    const BadFile& bad = GetParam();
    ASSERT_EQ(ReadGeoJson(Own(kGood + R"(,"bytes":null)"), "good.geojson").rows.size(), 1u);
    try {
        ReadGeoJson(bad.text, "bad.geojson", 3);
        ADD_FAILURE() << "read";
    } catch (const ResultFileError& e) {
        const std::string what = e.what();
        EXPECT_EQ(what.rfind("Cannot read \"bad.geojson\": ", 0), 0u) << what;
        EXPECT_NE(what.find(bad.message), std::string::npos) << what;
    }
}

const BadFile kBadFiles[] = {
    {"Empty", "", "line 1: not valid JSON"},
    {"Truncated", Own(kGood).substr(0, 150), "line 2: not valid JSON"},
    {"NotJsonOnLineThree", "{\"type\":\n\"FeatureCollection\",\n\"features\": [tru]}",
     "line 3: not valid JSON"},
    {"NumberPastADouble", "{\"type\":\"FeatureCollection\",\"bbox\":[1e999]}",
     "not valid JSON (number overflow parsing '1e999')"},
    {"TooDeep", "{\"features\":\n" + std::string(100, '['), "line 2: nested deeper than 64"},
    {"NotGeoJson", R"([{"type":"FeatureCollection"}])", "not a GeoJSON FeatureCollection"},
    {"NoFeatures", R"({"type":"FeatureCollection"})", "not a GeoJSON FeatureCollection"},
    {"FeaturesNotAnArray", R"({"type":"FeatureCollection","features":{}})", "not an array"},
    {"FeatureNotAnObject", R"({"type":"FeatureCollection","features":[[1]]})",
     "feature 1 is not a GeoJSON Feature"},
    {"TooManyFeatures", Points(4), "feature 4 is one too many"},
    {"LatitudeOutOfRange",
     R"({"type":"FeatureCollection","features":[{"type":"Feature","geometry":null},
        {"type":"Feature","geometry":{"type":"Point","coordinates":[10,90.5]}}]})",
     "feature 2 has coordinates out of range"},
    {"LongitudeOutOfRange", Own(kGood, R"({"type":"Point","coordinates":[-180.01,0]})"),
     "feature 1 has coordinates out of range"},
    {"CoordinatesNotNumbers", Own(kGood, R"({"type":"Point","coordinates":["1","2"]})"),
     "not two or three numbers"},
    {"NewerOrvanta", Own(kGood + R"(,"bytes":null)", "null", "2"),
     "written by a newer Orvanta (file format 2; this version reads format 1)"},
    {"UnknownFormat", Own(kGood, "null", "\"one\""), "names no known format"},
    {"OwnPropertyMissing", Own(kGood), "feature 1 has no property \"bytes\""},
    {"OwnCountAsText", Own(kGood + R"(,"bytes":"12")"),
     "feature 1 has a property \"bytes\" of the wrong type"},
    {"OwnCountNegative", Own(kGood + R"(,"bytes":-1)"), "\"bytes\" of the wrong type"},
    {"OwnAsnPast32Bits",
     Own(R"("asn":4294967296,)" + kGood.substr(0, kGood.find(",\"asn\"")) +
         R"(,"organization":"","count":null,"bytes":null)"),
     "\"asn\" out of range"},
    {"OwnResultUnknown", Own(kGood + R"(,"bytes":null,"result":"maybe")"),
     "neither \"found\" nor \"not found\""},
    {"OwnCoordinatesDisagree", Own(kGood + R"(,"bytes":null)", R"({"type":"Point",
     "coordinates":[1,2]})"),
     "disagree with its geometry"},
    {"ForeignWithoutPoints",
     R"({"type":"FeatureCollection","features":[{"type":"Feature","geometry":null}]})",
     "no feature is a Point"},
};

INSTANTIATE_TEST_SUITE_P(Files, BadFiles, testing::ValuesIn(kBadFiles),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(BadFiles, AMissingFileIsNamed) {
    EXPECT_THROW(
        {
            try {
                ReadGeoJsonFile("/nonexistent/saved.geojson");
            } catch (const ResultFileError& e) {
                EXPECT_STREQ(e.what(), "Cannot open file \"/nonexistent/saved.geojson\". No "
                                       "such file or directory");
                throw;
            }
        },
        ResultFileError);
}

} // namespace
