// SPDX-License-Identifier: GPL-3.0-or-later
#include "mmdbimport/MmdbRecordDecoder.h"

#include "CityRecords.h"
#include "MmdbTestWriter.h"
#include "TempFolder.h"
#include "mmdbimport/ImportError.h"
#include "mmdbimport/MmdbDatabase.h"
#include "mmdbimport/MmdbTreeWalker.h"

#include <gtest/gtest.h>
#include <limits>

namespace orvanta::mmdbtest {
namespace {

using mmdbimport::RecordShape;
using mmdbimport::SourceRecord;
using orvanta::test::TempFolder;

// Writes one record at 1.0.0.0/8 and decodes it.
class OneRecord {
public:
    explicit OneRecord(const Value& value) {
        MmdbTestWriter writer;
        writer.Insert(Ip(1, 0, 0, 0), 8, value);
        writer.WriteTo(dir_.File("one.mmdb"));
        db_ = std::make_unique<mmdbimport::MmdbDatabase>(dir_.File("one.mmdb"));
        offset_ = mmdbimport::MmdbTreeWalker(*db_).Walk().ranges.at(0).dataOffset;
    }
    mmdbimport::MmdbRecordDecoder Decoder() const { return mmdbimport::MmdbRecordDecoder(*db_); }
    std::uint32_t offset() const { return offset_; }

private:
    TempFolder dir_;
    std::unique_ptr<mmdbimport::MmdbDatabase> db_;
    std::uint32_t offset_ = 0;
};

struct DecodeCase {
    const char* name;
    Value value;
    RecordShape shape;
    SourceRecord expected;
};
void PrintTo(const DecodeCase& c, std::ostream* os) {
    *os << c.name;
}

class DecodeTest : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(DecodeTest, DetectsTheShapeAndReadsItsFields) {
    const DecodeCase& c = GetParam();
    const OneRecord one(c.value);
    const auto decoder = one.Decoder();
    ASSERT_EQ(decoder.DetectShape(one.offset()), c.shape);
    const SourceRecord got = decoder.Decode(one.offset(), c.shape);
    EXPECT_EQ(got.countryCode, c.expected.countryCode);
    EXPECT_EQ(got.region, c.expected.region);
    EXPECT_EQ(got.city, c.expected.city);
    EXPECT_EQ(got.postalCode, c.expected.postalCode);
    EXPECT_FLOAT_EQ(float(got.latitude), float(c.expected.latitude));
    EXPECT_FLOAT_EQ(float(got.longitude), float(c.expected.longitude));
    EXPECT_EQ(got.metroCode, c.expected.metroCode);
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, DecodeTest,
    ::testing::Values(
        DecodeCase{"flat",
                   FlatCity("US", "California", "Mountain View", 37.422, -122.085, "94043"),
                   RecordShape::Flat,
                   {"US", "California", "Mountain View", "94043", 37.422, -122.085, 0}},
        DecodeCase{"flat_with_double_coordinates_and_missing_texts",
                   Map({{"country_code", Text("DE")},
                        {"latitude", Double(52.52)},
                        {"longitude", Double(13.405)}}),
                   RecordShape::Flat,
                   {"DE", "", "", "", 52.52, 13.405, 0}},
        DecodeCase{"nested_us_with_metro",
                   NestedCity("US", "CA", "San Jose", 37.3394, -121.895, "95141", 807),
                   RecordShape::Nested,
                   {"US", "CA", "San Jose", "95141", 37.3394, -121.895, 807}},
        DecodeCase{"nested_without_city_or_subdivision",
                   Map({{"country", Map({{"iso_code", Text("FR")}})},
                        {"location", Map({{"latitude", Double(46)}, {"longitude", Double(2)}})}}),
                   RecordShape::Nested,
                   {"FR", "", "", "", 46, 2, 0}},
        DecodeCase{"nested_registered_country_only",
                   Map({{"registered_country", Map({{"iso_code", Text("NL")}})}}),
                   RecordShape::Nested,
                   {"", "", "", "", 0, 0, 0}},
        DecodeCase{"nested_first_subdivision_is_the_region",
                   Map({{"country", Map({{"iso_code", Text("GB")}})},
                        {"subdivisions", Array({Map({{"iso_code", Text("ENG")}}),
                                                Map({{"iso_code", Text("LND")}})})}}),
                   RecordShape::Nested,
                   {"GB", "ENG", "", "", 0, 0, 0}},
        DecodeCase{"nested_dbip_region_from_the_english_name",
                   DbipNestedCity("US", "California", "Mountain View", 37.422, -122.085),
                   RecordShape::Nested,
                   {"US", "California", "Mountain View", "", 37.422, -122.085, 0}},
        DecodeCase{
            "nested_code_preferred_to_the_name",
            Map({{"country", Map({{"iso_code", Text("GB")}})},
                 {"subdivisions", Array({Map({{"iso_code", Text("ENG")},
                                              {"names", Map({{"en", Text("England")}})}})})}}),
            RecordShape::Nested,
            {"GB", "ENG", "", "", 0, 0, 0}}),
    [](const auto& info) { return std::string(info.param.name); });

struct RefusalCase {
    const char* name;
    Value value;
    bool detect; // refused by DetectShape (else by Decode as flat)
    std::vector<std::string> mentioned;
};
void PrintTo(const RefusalCase& c, std::ostream* os) {
    *os << c.name;
}

class RefusalTest : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(RefusalTest, NamesWhatItFound) {
    const RefusalCase& c = GetParam();
    const OneRecord one(c.value);
    const auto decoder = one.Decoder();
    try {
        if (c.detect)
            decoder.DetectShape(one.offset());
        else
            decoder.Decode(one.offset(), RecordShape::Flat);
        FAIL() << "accepted";
    } catch (const mmdbimport::ImportError& error) {
        for (const auto& word : c.mentioned)
            EXPECT_NE(std::string(error.what()).find(word), std::string::npos) << error.what();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Bad, RefusalTest,
    ::testing::Values(
        RefusalCase{"country_shape",
                    Map({{"continent_code", Text("EU")}, {"network", Text("1.0.0.0/8")}}),
                    true,
                    {"continent_code, network", "offset"}},
        RefusalCase{"not_a_map", Text("just text"), true, {"fields: none"}},
        RefusalCase{"city_is_a_number",
                    Map({{"country_code", Text("US")}, {"city", Uint32(5)}}),
                    false,
                    {"city", "integer", "text"}},
        RefusalCase{"latitude_is_text",
                    Map({{"country_code", Text("US")}, {"latitude", Text("north")}}),
                    false,
                    {"latitude", "number"}},
        RefusalCase{"nested_record_read_as_flat",
                    NestedCity("US", "", "X", 1, 2),
                    false,
                    {"flat", "country, location"}},
        RefusalCase{"infinite_latitude",
                    Map({{"country_code", Text("US")},
                         {"latitude", Double(std::numeric_limits<double>::infinity())}}),
                    false,
                    {"finite"}}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace orvanta::mmdbtest
