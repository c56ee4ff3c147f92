// SPDX-License-Identifier: GPL-3.0-or-later
// IPv6 databases written and read back: a tree with a block at every prefix
// length from /1 to /128, its first and last addresses, the gaps between
// them, and the whole space as one range. The file reader and the in-memory
// image must give the same answers.

#include "WriterTestSupport.h"
#include "geoip/CityDatabaseImageV6.h"
#include "geoip/IPv6Text.h"
#include "geoip/TGeoIP.h"
#include "geoip/TGeoIPv6.h"
#include "geoipwriter/CityDatabaseWriter.h"

#include <gtest/gtest.h>

namespace orvanta::geoip::test {
namespace {

CityRecordData Place(std::uint8_t country, const char* city, double latitude, double longitude) {
    CityRecordData record;
    record.countryIndex = country;
    record.region = "R";
    record.city = city;
    record.latitude = latitude;
    record.longitude = longitude;
    record.dmaCode = 807;
    record.areaCode = 415;
    return record;
}

// Addresses whose first length-1 bits are 1 and whose next bit is 0: one
// aligned block of each length, the /128 at the all-ones address last.
IndexedRange SpineBlock(int length, std::uint32_t record) {
    const AddressValue ones = length == 1 ? 0 : ~LowBits(129 - length);
    if (length == 128) {
        return {AllAddressBits - 1, AllAddressBits - 1, record};
    }
    return {ones, ones | LowBits(128 - length), record};
}

struct Answer {
    TLookupResult result;
    TGeoIPCity record;
    int prefix;
};

void ExpectBothReaders(const std::string& path, AddressValue address, const Answer& expected) {
    const std::string text = IPv6AddressText(address);
    TGeoIPv6 reader(path);
    Answer got{lrFound, {}, 0};
    got.result = reader.LookupCity(text, got.record, got.prefix);
    EXPECT_EQ(got.result, expected.result) << text;
    EXPECT_EQ(got.prefix, expected.prefix) << text;
    EXPECT_EQ(got.record, expected.record) << text;

    const CityDatabaseImageV6 image(path);
    Answer fromImage{lrFound, {}, 0};
    fromImage.result = image.LookupCity(text, fromImage.record, fromImage.prefix);
    EXPECT_EQ(fromImage.result, expected.result) << text;
    EXPECT_EQ(fromImage.prefix, expected.prefix) << text;
    EXPECT_EQ(fromImage.record, expected.record) << text;
}

class WriterRoundTripV6 : public ::testing::TestWithParam<int> {};

TEST_P(WriterRoundTripV6, EveryPrefixLength) {
    const int edition = GetParam();
    CityRangeSet set;
    set.records = {Place(225, "Mountain View", 37.422, -122.085), Place(38, "Toronto", 43.7, -79.4),
                   Place(0, "", -180, 1497.7215)};
    for (int length = 1; length <= 128; ++length) {
        if (length % 5 != 0) { // every fifth length stays unassigned
            set.ranges.push_back(SpineBlock(length, static_cast<std::uint32_t>(length % 3)));
        }
    }
    TempFolder folder;
    const std::string path = folder.File("v6.dat");
    const WriteSummary summary = WriteCityDatabase(path, set, {edition, false});
    EXPECT_EQ(summary.treeNodes, 128u); // one node per level: the deepest at level 127

    TGeoIPv6 reader(path);
    ASSERT_EQ(reader.edition(), edition);
    ASSERT_EQ(reader.segments().at(0), summary.treeNodes);
    EXPECT_TRUE(TGeoIP(path).segments().empty()); // not an IPv4 edition
    for (int length = 1; length <= 128; ++length) {
        const IndexedRange block = SpineBlock(length, static_cast<std::uint32_t>(length % 3));
        Answer expected{lrNotFound, {}, length};
        if (length % 5 != 0) {
            expected = {lrFound, Expected(set.records[block.recordIndex], edition), length};
        }
        ExpectBothReaders(path, block.first, expected);
        ExpectBothReaders(path, block.last, expected);
    }
    // The all-ones address has no block: the deepest node's other child.
    ExpectBothReaders(path, AllAddressBits, {lrNotFound, {}, 128});
}

INSTANTIATE_TEST_SUITE_P(Editions, WriterRoundTripV6, ::testing::Values(30, 31));

TEST(WriterRoundTripV6Test, WholeSpaceAndBatchLookups) {
    CityRangeSet set;
    set.records = {Place(38, "Toronto", 43.7, -79.4)};
    set.ranges = {{0, AllAddressBits, 0}};
    TempFolder folder;
    const std::string path = folder.File("all.dat");
    const WriteSummary summary = WriteCityDatabase(path, set, {31, false});
    EXPECT_EQ(summary.blocks, 2u); // the root cannot be a terminal value
    const Answer everywhere{lrFound, Expected(set.records[0], 31), 1};
    ExpectBothReaders(path, 0, everywhere);
    ExpectBothReaders(path, AllAddressBits, everywhere);

    const CityDatabaseImageV6 image(path);
    const AddressValue addresses[] = {0, 1, AllAddressBits >> 1, AllAddressBits};
    CityDatabaseImageV6::Walk walks[4];
    TLookupResult results[4];
    image.FindMany(addresses, 4, walks, results);
    for (int i = 0; i < 4; ++i) {
        CityDatabaseImageV6::Walk one;
        EXPECT_EQ(results[i], image.Find(addresses[i], one)) << i;
        EXPECT_EQ(walks[i].value, one.value) << i;
        EXPECT_EQ(walks[i].prefixLength, one.prefixLength) << i;
    }
}

TEST(WriterRoundTripV6Test, RefusesRangesOutsideTheFamily) {
    CityRangeSet set;
    set.records = {Place(38, "Toronto", 43.7, -79.4)};
    set.ranges = {{AddressValue{1} << 32, AddressValue{1} << 33, 0}};
    TempFolder folder;
    EXPECT_THROW(WriteCityDatabase(folder.File("v4.dat"), set, {6, false}), WriteError);
    EXPECT_FALSE(folder.Exists("v4.dat"));
}

} // namespace
} // namespace orvanta::geoip::test
