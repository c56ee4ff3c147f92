// SPDX-License-Identifier: GPL-3.0-or-later
// How the reader finds the edition block and what it derives from it.

#include "TestDatabase.h"
#include "geoip/TGeoIP.h"

#include <gtest/gtest.h>
#include <optional>

namespace orvanta::geoip::test {
namespace {

struct EditionCase {
    const char* name;
    Bytes file;
    unsigned edition;
    std::optional<std::uint32_t> boundary; // nullopt: Segments stays empty
    int recordLength;
};

void PrintTo(const EditionCase& c, std::ostream* os) {
    *os << c.name;
}

const Bytes Filler(64, '\x11');

class EditionTest : public ::testing::TestWithParam<EditionCase> {};

TEST_P(EditionTest, DerivesEditionBoundaryAndRecordLength) {
    const EditionCase& c = GetParam();
    TempFolder folder;
    TGeoIP reader(folder.Write("db.dat", c.file));
    EXPECT_EQ(reader.edition(), c.edition);
    if (c.boundary) {
        ASSERT_EQ(reader.segments().size(), 1u);
        EXPECT_EQ(reader.segments()[0], *c.boundary);
    } else {
        EXPECT_TRUE(reader.segments().empty());
    }
    EXPECT_EQ(reader.recordLength(), c.recordLength);
}

INSTANTIATE_TEST_SUITE_P(
    Blocks, EditionTest,
    ::testing::Values(
        EditionCase{"Edition2", Filler + EditionBlock(2, 10000), 2, 10000, 3},
        EditionCase{"Edition107ReadsAs2", Filler + EditionBlock(107, 10000), 2, 10000, 3},
        EditionCase{"Edition111ReadsAs6", Filler + EditionBlock(111, 77), 6, 77, 3},
        EditionCase{"Edition105StaysWithoutBoundary", Filler + EditionBlock(105, 10000), 105,
                    std::nullopt, 3},
        EditionCase{"Edition106ReadsAs1", Filler + EditionBlock(106), 1, 16776960, 3},
        EditionCase{"Edition4HasFourByteValues", Filler + EditionBlock(4, 5000), 4, 5000, 4},
        EditionCase{"Edition5HasFourByteValues", Filler + EditionBlock(5, 5000), 5, 5000, 4},
        EditionCase{"Edition9ReadsBoundary", Filler + EditionBlock(9, 123456), 9, 123456, 3},
        EditionCase{"Edition7FixedBoundary", Filler + EditionBlock(7, 10000), 7, 16700000, 3},
        EditionCase{"Edition3FixedBoundary", Filler + EditionBlock(3, 10000), 3, 16000000, 3},
        EditionCase{"Edition8DefaultBoundary", Filler + EditionBlock(8, 10000), 8, 16776960, 3},
        EditionCase{"Edition0NoBoundary", Filler + EditionBlock(0, 10000), 0, std::nullopt, 3},
        EditionCase{"Edition200Minus105", Filler + EditionBlock(200, 10000), 95, std::nullopt, 3},
        // Edition byte 0xFF forms a marker one byte nearer the end, whose
        // "edition byte" is then the boundary's first byte.
        EditionCase{"Edition255ShiftsMarker", Filler + EditionBlock(255, 10000), 0x10, std::nullopt,
                    3},
        EditionCase{"NoBlockIsEdition1", Filler, 1, 16776960, 3},
        EditionCase{"MarkerAtVeryEndHasNoEditionByte", Filler + "\x02\xFF\xFF\xFF", 1, 16776960, 3},
        EditionCase{"MarkerBegins22BeforeEnd", Filler + EditionBlock(6, 4242) + Bytes(15, '\0'), 6,
                    4242, 3},
        EditionCase{"MarkerBegins23BeforeEndIsMissed",
                    Filler + EditionBlock(6, 4242) + Bytes(16, '\0'), 1, 16776960, 3},
        EditionCase{"NearerMarkerDecides", Filler + EditionBlock(2, 1000) + EditionBlock(6, 2000),
                    6, 2000, 3},
        EditionCase{"BoundaryCutShortReadsZero", Filler + EditionBlock(2) + "\x10", 2, 0x10, 3},
        EditionCase{"EmptyFile", Bytes(), 1, 16776960, 3},
        EditionCase{"OneByteFile", Bytes("\xFF"), 1, 16776960, 3},
        EditionCase{"TwoByteFile", Bytes("\xFF\xFF"), 1, 16776960, 3},
        EditionCase{"ThreeByteMarkerOnly", Bytes("\xFF\xFF\xFF"), 1, 16776960, 3},
        EditionCase{"ShortFileBlockAtStart", EditionBlock(6, 99) + "\x01", 6, 99, 3},
        EditionCase{"ShortFileWithoutMarker", Bytes("\xFF\xFF\x01\xFF\xFF"), 1, 16776960, 3}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(EditionTest, AnyEditionOtherThanCityAnswersNotCityEdition) {
    TempFolder folder;
    for (std::uint8_t edition : {0, 1, 3, 4, 5, 7, 8, 9, 105, 106, 200}) {
        SCOPED_TRACE(static_cast<int>(edition));
        // A tree that would answer lrFound if it were read.
        Bytes file = OneRecordFile(edition, Record(38, "R", "C", "P", 1800000, 1800000));
        TGeoIP reader(folder.Write("db.dat", file));
        TGeoIPCity record;
        record.City = "kept";
        EXPECT_EQ(reader.LookupCity("200.1.2.3", record), lrNotCityEdition);
        EXPECT_EQ(record.City, "kept");
    }
}

} // namespace
} // namespace orvanta::geoip::test
