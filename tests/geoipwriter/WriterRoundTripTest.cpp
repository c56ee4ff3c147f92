// SPDX-License-Identifier: GPL-3.0-or-later
// Databases written from random range sets answer, through the reader,
// every sampled address inside a range with that range's record and every
// address outside all ranges with lrNotFound.

#include "WriterTestSupport.h"
#include "geoip/TGeoIP.h"
#include "geoipwriter/CityDatabaseWriter.h"
#include "geoipwriter/TextConversion.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <random>

namespace orvanta::geoip::test {
namespace {

std::string AddressText(std::uint32_t address) {
    in_addr value{htonl(address)};
    char text[INET_ADDRSTRLEN];
    inet_ntop(AF_INET, &value, text, sizeof text);
    return text;
}

CityRecordData RandomRecord(std::mt19937& random, std::size_t id) {
    CityRecordData record;
    record.countryIndex = static_cast<std::uint8_t>(random() % 253);
    if (id % 5 == 0) {
        record.countryIndex = 225; // plenty of "US" records for the third number
        record.dmaCode = static_cast<std::int32_t>(random() % 16000);
        record.areaCode = static_cast<std::int32_t>(random() % 1000);
    }
    record.region = id % 3 ? "R" + std::to_string(random() % 100) : "";
    record.city = "City \xE9" + std::to_string(id);
    record.postalCode = id % 4 ? std::to_string(random() % 100000) : "";
    record.latitude = RoundCoordinate(-90.0 + (random() % 1800001) / 10000.0);
    record.longitude = RoundCoordinate(-180.0 + (random() % 3600001) / 10000.0);
    return record;
}

// Sorted, non-overlapping ranges with gaps, some of them adjacent and some
// sharing a record; sizes from a single address to millions.
CityRangeSet RandomSet(std::uint32_t seed, std::size_t count, std::size_t records) {
    std::mt19937 random(seed);
    CityRangeSet set;
    for (std::size_t i = 0; i < records; ++i) {
        set.records.push_back(RandomRecord(random, i));
    }
    const std::uint64_t step = (std::uint64_t{1} << 32) / count;
    for (std::size_t i = 0; i < count; ++i) {
        std::uint64_t start = i * step + random() % (step / 2);
        std::uint64_t length = 1 + random() % (random() % 2 ? 16 : step / 2);
        if (i % 7 == 0 && !set.ranges.empty() && set.ranges.back().last < start - 1) {
            start = set.ranges.back().last + 1; // adjacent to the previous range
        }
        std::uint64_t last = std::min<std::uint64_t>(start + length - 1, (i + 1) * step - 1);
        set.ranges.push_back({static_cast<std::uint32_t>(start), static_cast<std::uint32_t>(last),
                              static_cast<std::uint32_t>(random() % records)});
    }
    std::shuffle(set.ranges.begin(), set.ranges.end(), random); // the writer sorts
    return set;
}

struct RoundTripCase {
    const char* name;
    std::uint32_t seed;
    std::size_t ranges;
    std::size_t records;
    int edition;
};

void PrintTo(const RoundTripCase& c, std::ostream* os) {
    *os << c.name;
}

class RoundTripTest : public ::testing::TestWithParam<RoundTripCase> {};

TEST_P(RoundTripTest, EveryRangeAnswersItsRecordAndGapsAreNotFound) {
    const RoundTripCase& c = GetParam();
    TempFolder folder;
    const CityRangeSet set = RandomSet(c.seed, c.ranges, c.records);
    const std::string path = folder.File("db.dat");
    const WriteSummary summary = WriteCityDatabase(path, set, {c.edition, false});
    EXPECT_EQ(summary.ranges, c.ranges);
    EXPECT_EQ(summary.fileSize, ReadFile(path).size());
    EXPECT_EQ(summary.fileSize, summary.treeNodes * 6 + summary.recordBytes + 7);

    const WriteSummary measured = MeasureCityDatabase(set, {c.edition, false});
    EXPECT_EQ(measured.treeNodes, summary.treeNodes);
    EXPECT_EQ(measured.fileSize, summary.fileSize);
    // The largest value the importers check against the 3-byte limit is the
    // largest value the tree really holds.
    const std::string bytes = ReadFile(path);
    std::uint32_t largest = 0;
    for (std::size_t at = 0; at < summary.treeNodes * 6; at += 3) {
        largest =
            std::max<std::uint32_t>(largest, static_cast<unsigned char>(bytes[at]) |
                                                 static_cast<unsigned char>(bytes[at + 1]) << 8 |
                                                 static_cast<unsigned char>(bytes[at + 2]) << 16);
    }
    EXPECT_EQ(measured.largestValue, largest);

    TGeoIP reader(path);
    ASSERT_EQ(reader.edition(), c.edition);
    ASSERT_EQ(reader.segments().at(0), summary.treeNodes);
    std::vector<IndexedRange> sorted = set.ranges;
    std::sort(sorted.begin(), sorted.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    std::mt19937 random(c.seed + 1);
    std::uint64_t previousEnd = 0; // first address after the previous range
    for (const IndexedRange& range : sorted) {
        const auto first = static_cast<std::uint32_t>(range.first);
        const auto last = static_cast<std::uint32_t>(range.last);
        const TGeoIPCity expected = Expected(set.records[range.recordIndex], c.edition);
        const std::uint32_t inside =
            first + static_cast<std::uint32_t>(random() % (std::uint64_t{last} - first + 1));
        for (std::uint32_t address : {first, last, inside}) {
            if (address == 0 || address == 0xFFFFFFFF) {
                continue; // not usable as address texts
            }
            TGeoIPCity got;
            ASSERT_EQ(reader.LookupCity(AddressText(address), got), lrFound)
                << AddressText(address);
            ASSERT_EQ(got, expected) << AddressText(address);
        }
        if (first > previousEnd) {
            for (std::uint64_t gap : {previousEnd, std::uint64_t{first} - 1}) {
                if (gap == 0) {
                    continue;
                }
                TGeoIPCity got;
                ASSERT_EQ(reader.LookupCity(AddressText(static_cast<std::uint32_t>(gap)), got),
                          lrNotFound)
                    << AddressText(static_cast<std::uint32_t>(gap));
            }
        }
        previousEnd = std::uint64_t{last} + 1;
    }
    if (previousEnd < 0xFFFFFFFF) {
        TGeoIPCity got;
        EXPECT_EQ(reader.LookupCity("255.255.255.254", got), lrNotFound);
    }
}

INSTANTIATE_TEST_SUITE_P(RangeSets, RoundTripTest,
                         ::testing::Values(RoundTripCase{"Few", 1, 3, 2, 2},
                                           RoundTripCase{"SharedRecords", 2, 500, 7, 2},
                                           RoundTripCase{"Edition6", 3, 2000, 300, 6},
                                           RoundTripCase{"Edition2Many", 4, 12000, 5000, 2}),
                         [](const auto& info) { return std::string(info.param.name); });

struct ShapeCase {
    const char* name;
    CityRanges ranges;
    std::size_t blocks;
    std::size_t treeNodes;
};

void PrintTo(const ShapeCase& c, std::ostream* os) {
    *os << c.name;
}

CityRecordData Place(const std::string& city) {
    CityRecordData record;
    record.countryIndex = 56;
    record.city = city;
    return record;
}

class ShapeTest : public ::testing::TestWithParam<ShapeCase> {};

TEST_P(ShapeTest, CountsBlocksAndNodes) {
    const ShapeCase& c = GetParam();
    TempFolder folder;
    WriteSummary summary = WriteCityDatabase(folder.File("db.dat"), c.ranges, {2, false});
    EXPECT_EQ(summary.blocks, c.blocks);
    EXPECT_EQ(summary.treeNodes, c.treeNodes);
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, ShapeTest,
    ::testing::Values(
        ShapeCase{"Empty", {}, 0, 1},
        ShapeCase{"WholeSpaceIsTwoHalves", {{0, 0xFFFFFFFF, Place("a")}}, 2, 1},
        ShapeCase{"Slash24", {{0x0A000000, 0x0A0000FF, Place("a")}}, 1, 24},
        ShapeCase{"SingleAddress", {{0x0A000001, 0x0A000001, Place("a")}}, 1, 32},
        ShapeCase{"UnalignedSplits", {{0x0A000001, 0x0A000006, Place("a")}}, 4, 34},
        ShapeCase{"NeighboursWithSameRecordMerge",
                  {{0x0A000000, 0x0A00007F, Place("a")}, {0x0A000080, 0x0A0000FF, Place("a")}},
                  1,
                  24},
        ShapeCase{"NeighboursWithOtherRecordsStay",
                  {{0x0A000000, 0x0A00007F, Place("a")}, {0x0A000080, 0x0A0000FF, Place("b")}},
                  2,
                  25}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RecordStoreTest, EqualRecordsAreStoredOnceAndNotFoundIsNeverOffsetZero) {
    TempFolder folder;
    CityRanges ranges = {{0x01000000, 0x01000000, Place("a")},
                         {0x03000000, 0x03000000, Place("b")},
                         {0x05000000, 0x05000000, Place("a")}};
    const std::string path = folder.File("db.dat");
    WriteSummary summary = WriteCityDatabase(path, ranges, {6, false});
    EXPECT_EQ(summary.distinctRecords, 2u);
    // One leading byte, then two records: index, "", "a", "" with NULs, 6.
    EXPECT_EQ(summary.recordBytes, 1u + 2 * 11);
    const std::string bytes = ReadFile(path);
    EXPECT_EQ(bytes.substr(bytes.size() - 7),
              std::string("\xFF\xFF\xFF\x06", 4) + static_cast<char>(summary.treeNodes & 0xFF) +
                  static_cast<char>(summary.treeNodes >> 8) + static_cast<char>(0));
    TGeoIP reader(path);
    TGeoIPCity got;
    EXPECT_EQ(reader.LookupCity("1.0.0.0", got), lrFound);
    EXPECT_EQ(got.City, "a");
    EXPECT_EQ(reader.LookupCity("5.0.0.0", got), lrFound);
    EXPECT_EQ(got.City, "a");
    EXPECT_EQ(reader.LookupCity("3.0.0.0", got), lrFound);
    EXPECT_EQ(got.City, "b");
    EXPECT_EQ(reader.LookupCity("2.0.0.0", got), lrNotFound);
}

TEST(RecordStoreTest, ThirdNumberOnlyForUsInEdition2) {
    TempFolder folder;
    CityRecordData us = Place("x");
    us.countryIndex = 225;
    us.dmaCode = 807;
    us.areaCode = 415;
    CityRecordData canada = us;
    canada.countryIndex = 38;
    CityRanges ranges = {{0x01000000, 0x01FFFFFF, us}, {0x02000000, 0x02FFFFFF, canada}};
    for (int edition : {2, 6}) {
        SCOPED_TRACE(edition);
        const std::string path = folder.File("db" + std::to_string(edition) + ".dat");
        WriteSummary summary = WriteCityDatabase(path, ranges, {edition, false});
        EXPECT_EQ(summary.recordBytes, 1u + 2 * 11 + (edition == 2 ? 3 : 0));
        TGeoIP reader(path);
        TGeoIPCity got;
        ASSERT_EQ(reader.LookupCity("1.2.3.4", got), lrFound);
        EXPECT_EQ(got.DmaCode, edition == 2 ? 807 : 0);
        EXPECT_EQ(got.AreaCode, edition == 2 ? 415 : 0);
        ASSERT_EQ(reader.LookupCity("2.2.3.4", got), lrFound);
        EXPECT_EQ(got.DmaCode, 0);
    }
}

} // namespace
} // namespace orvanta::geoip::test
