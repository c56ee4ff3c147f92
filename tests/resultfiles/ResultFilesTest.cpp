// SPDX-License-Identifier: GPL-3.0-or-later
// Result files: every kind of row comes back from GeoJSON as it went in,
// KML has the shape map tools expect, and a failed save keeps the old file.
#include "resultfiles/GeoJsonReader.h"
#include "resultfiles/GeoJsonWriter.h"
#include "resultfiles/KmlWriter.h"
#include "resultfiles/SavedFile.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <limits>
#include <nlohmann/json.hpp>
#include <sstream>

namespace {

using namespace orvanta::resultfiles;

ResultRecord Located(std::string address, double latitude, double longitude) {
    ResultRecord row;
    row.address = std::move(address);
    row.found = true;
    row.countryCode = "DE";
    row.countryName = "Germany";
    row.region = "Baden-Württemberg";
    row.city = "Heidelberg";
    row.latitude = latitude;
    row.longitude = longitude;
    return row;
}

// One of each kind of row the list holds, and the awkward values.
std::vector<ResultRecord> EveryKind() {
    std::vector<ResultRecord> rows;
    ResultRecord single = Located("129.206.196.21", 49.4077, 8.6908);
    single.hostName = "www.uni-heidelberg.de";
    single.asn = 553;
    single.organization = "Universitaet Stuttgart";
    rows.push_back(single);
    ResultRecord unresolved = Located("2001:db8::1", -90, 180);
    unresolved.hostName = ""; // asked, no name came
    rows.push_back(unresolved);
    ResultRecord notFound;
    notFound.address = "10.0.0.1";
    notFound.hostName = std::nullopt;
    notFound.count = 3;
    rows.push_back(notFound);
    ResultRecord runRow = Located("8.8.8.8", 0.1 + 0.2, -122.08385);
    runRow.count = 5000;
    runRow.asn = 15169;
    runRow.organization = "Google LLC";
    rows.push_back(runRow);
    ResultRecord endpoint = Located("1.1.1.1", -33.494, 143.2104);
    endpoint.count = std::numeric_limits<std::uint64_t>::max();
    endpoint.bytes = std::numeric_limits<std::uint64_t>::max();
    endpoint.asn = 0xFFFFFFFF; // AS number alone
    rows.push_back(endpoint);
    ResultRecord hop = Located("192.0.2.1", 1e-300, -0.0);
    hop.hostName = "hop \"1\" <&> \n\t\x01 ünïcødé 東京";
    hop.organization = "No AS number, \"quoted\"";
    hop.countryCode = "EU";
    rows.push_back(hop);
    return rows;
}

TEST(GeoJson, EveryKindOfRowComesBackAsSaved) {
    const auto rows = EveryKind();
    std::ostringstream out;
    WriteGeoJson(out, rows);
    const auto back = ReadGeoJson(out.str(), "saved.geojson");
    EXPECT_TRUE(back.ownFile);
    ASSERT_EQ(back.rows.size(), rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i)
        EXPECT_EQ(back.rows[i], rows[i]) << "row " << i;
    EXPECT_TRUE(ReadGeoJson(R"({"type":"FeatureCollection","orvanta":{"format":1},"features":[]})",
                            "empty.geojson")
                    .rows.empty());
}

TEST(GeoJson, IsAFeatureCollectionOtherToolsRead) {
    std::ostringstream out;
    WriteGeoJson(out, EveryKind());
    const auto document = nlohmann::json::parse(out.str());
    EXPECT_EQ(document["type"], "FeatureCollection");
    const auto& features = document["features"];
    ASSERT_EQ(features.size(), 6u);
    EXPECT_EQ(features[0]["geometry"]["coordinates"], nlohmann::json::array({8.6908, 49.4077}));
    EXPECT_TRUE(features[2]["geometry"].is_null());
    for (const auto& feature : features) {
        ASSERT_EQ(feature["properties"].size(), kPropertyNames.size());
        for (const char* name : kPropertyNames)
            EXPECT_TRUE(feature["properties"].contains(name)) << name;
    }
    EXPECT_EQ(features[2]["properties"]["result"], "not found");
}

TEST(GeoJson, ForeignPointsBecomeRows) {
    const auto contents = ReadGeoJson(R"({"type":"FeatureCollection","features":[
        {"type":"Feature","geometry":{"type":"Point","coordinates":[2.35,48.85,35]},
         "properties":{"address":"192.0.2.7","city":"Paris","count":"many"}},
        {"type":"Feature","geometry":{"type":"LineString","coordinates":[[0,0],[1,1]]},
         "properties":null},
        {"type":"Feature","geometry":{"type":"Point","coordinates":[-1,-2]},"properties":{}}]})",
                                      "places.geojson");
    EXPECT_FALSE(contents.ownFile);
    ASSERT_EQ(contents.rows.size(), 2u);
    EXPECT_EQ(contents.rows[0].address, "192.0.2.7");
    EXPECT_EQ(contents.rows[0].city, "Paris");
    EXPECT_EQ(contents.rows[0].latitude, 48.85);
    EXPECT_EQ(contents.rows[0].longitude, 2.35);
    EXPECT_FALSE(contents.rows[0].count); // not ours: a text count is passed over
    EXPECT_TRUE(contents.rows[1].found);
    EXPECT_EQ(contents.rows[1].latitude, -2);

    const auto lone = ReadGeoJson(
        R"({"type":"Feature","geometry":{"type":"Point","coordinates":[1,2]},"properties":null})",
        "one.geojson");
    ASSERT_EQ(lone.rows.size(), 1u);
    EXPECT_TRUE(LooksLikeGeoJson("\xEF\xBB\xBF\n {\"type\": \"FeatureCollection\""));
    EXPECT_FALSE(LooksLikeGeoJson("Dec 10 {\"type\":\"Feature\"} 1.2.3.4"));
}

TEST(Kml, OnePlacemarkPerLocatedRowWithEscapedTexts) {
    std::ostringstream out;
    WriteKml(out, EveryKind());
    const std::string kml = out.str();
    EXPECT_EQ(kml.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                        "<kml xmlns=\"http://www.opengis.net/kml/2.2\">\n<Document>",
                        0),
              0u);
    EXPECT_NE(kml.find("</Document>\n</kml>\n"), std::string::npos);
    std::size_t placemarks = 0;
    for (auto at = kml.find("<Placemark>"); at != std::string::npos;
         at = kml.find("<Placemark>", at + 1))
        ++placemarks;
    EXPECT_EQ(placemarks, 5u); // the row not found has no place
    EXPECT_NE(kml.find("<Placemark><name>129.206.196.21</name><description>Heidelberg, "
                       "Baden-Württemberg, Germany\nAS553 Universitaet Stuttgart</description>"
                       "<Point><coordinates>8.6908,49.4077</coordinates></Point></Placemark>"),
              std::string::npos);
    EXPECT_NE(kml.find("Germany\nNo AS number, &quot;quoted&quot;</description>"),
              std::string::npos);
    EXPECT_EQ(kml.find("10.0.0.1"), std::string::npos);
    EXPECT_EQ(XmlEscaped("a<b>&'\"\x01\x1f\tc"), "a&lt;b&gt;&amp;&apos;&quot;\tc");
}

TEST(SavedFile, AFailedSaveLeavesTheOldFileAndNoTemporary) {
    const auto folder = std::filesystem::temp_directory_path() / "resultfiles-test";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    const std::string path = (folder / "list.geojson").string();
    SaveFile(path, [](std::ostream& out) { out << "old"; });
    EXPECT_THROW(SaveFile(path,
                          [](std::ostream& out) {
                              out << "half";
                              throw ResultFileError("disk gone");
                          }),
                 ResultFileError);
    try {
        SaveFile((folder / "missing" / "x.kml").string(), [](std::ostream&) {});
        ADD_FAILURE() << "saved into a missing folder";
    } catch (const ResultFileError& e) {
        EXPECT_NE(std::string(e.what()).find("Cannot create file \"" + folder.string() +
                                             "/missing/x.kml\". No such file"),
                  std::string::npos)
            << e.what();
    }
    std::ifstream in(path);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "old");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 1);
    std::filesystem::remove_all(folder);
}

} // namespace
