// SPDX-License-Identifier: GPL-3.0-or-later
// Address conversion, the tree walk, record decoding and the order in which
// LookupCity decides its result.

#include "TestDatabase.h"
#include "geoip/TGeoIP.h"

#include <charconv>
#include <cstdio>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <random>
#include <unistd.h>

namespace orvanta::geoip::test {
namespace {

struct AddressCase {
    const char* name;
    const char* text;
    std::uint32_t number;
};

void PrintTo(const AddressCase& c, std::ostream* os) {
    *os << c.name;
}

class AddressTest : public ::testing::TestWithParam<AddressCase> {};

TEST_P(AddressTest, ConvertsAsInetAddrDoes) {
    EXPECT_EQ(TGeoIP::AddressToNumber(GetParam().text), GetParam().number);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, AddressTest,
    ::testing::Values(AddressCase{"Dotted", "1.2.3.4", 0x01020304},
                      AddressCase{"Highest", "255.255.255.254", 0xFFFFFFFE},
                      AddressCase{"Broadcast", "255.255.255.255", 0},
                      AddressCase{"Zero", "0.0.0.0", 0}, AddressCase{"Empty", "", 0},
                      AddressCase{"Word", "abc", 0}, AddressCase{"TooManyParts", "1.2.3.4.5", 0},
                      AddressCase{"PartTooLarge", "1.2.3.256", 0},
                      AddressCase{"Octal", "010.0.0.1", 0x08000001},
                      AddressCase{"Hexadecimal", "0x7f.1", 0x7F000001},
                      AddressCase{"ShortForm", "10.1", 0x0A000001},
                      AddressCase{"SingleNumber", "16909060", 0x01020304},
                      AddressCase{"TrailingSpaceEnds", "1.2.3.4 x", 0x01020304},
                      AddressCase{"LeadingSpace", " 1.2.3.4", 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(WalkTreeTest, FollowsBitsFromTheMostSignificant) {
    TempFolder folder;
    // Boundary 3. Node 0: 0 bit -> node 1, 1 bit -> terminal 10 (one read).
    // Node 1: 0 bit -> node 2, 1 bit -> terminal 11. Node 2: 0 -> 12, 1 -> 3.
    Bytes file = Node(1, 10) + Node(2, 11) + Node(12, 3) + Bytes(64, '\0') + EditionBlock(2, 3);
    TGeoIP reader(folder.Write("db.dat", file));
    EXPECT_EQ(reader.WalkTree(0x80000000), 10u);
    EXPECT_EQ(reader.WalkTree(0xFFFFFFFF), 10u);
    EXPECT_EQ(reader.WalkTree(0x40000000), 11u);
    EXPECT_EQ(reader.WalkTree(0x00000001), 12u);
    EXPECT_EQ(reader.WalkTree(0x20000000), 3u);
}

TEST(WalkTreeTest, FourByteValuesMakeEightByteNodes) {
    TempFolder folder;
    Bytes file = Node(1, 0x01000000, 4) + Node(0x01000001, 0x01000002, 4) + Bytes(8, '\0') +
                 EditionBlock(4, 2);
    TGeoIP reader(folder.Write("db.dat", file));
    EXPECT_EQ(reader.WalkTree(0x80000000), 0x01000000u);
    EXPECT_EQ(reader.WalkTree(0x00000000), 0x01000001u);
    EXPECT_EQ(reader.WalkTree(0x40000000), 0x01000002u);
}

TEST(WalkTreeTest, LoopingTreeEndsAfter32BitsWithZero) {
    TempFolder folder;
    // Node 0 points at itself: a damaged tree that never reaches a terminal.
    Bytes file = Node(0, 0) + Bytes(80, '\0') + EditionBlock(2, 5);
    TGeoIP reader(folder.Write("db.dat", file));
    EXPECT_EQ(reader.WalkTree(0x12345678), 0u);
    // The lookup goes on with terminal 0 and decodes the bytes at 5 * B.
    TGeoIPCity record;
    EXPECT_EQ(reader.LookupCity("18.52.86.120", record), lrFound);
    EXPECT_EQ(record.CountryCode, "--");
}

TEST(WalkTreeTest, NodesPastTheEndReadAsZero) {
    TempFolder folder;
    // Node 0 points at node 2, which lies past the end: its values read as 0,
    // so the walk keeps going through node 0 and ends with 0 after 32 bits.
    Bytes file = Node(2, 2) + EditionBlock(2, 100);
    TGeoIP reader(folder.Write("db.dat", file));
    EXPECT_EQ(reader.WalkTree(0x01020304), 0u);
}

struct RecordCase {
    const char* name;
    std::uint8_t edition;
    Bytes record; // placed right after the tree; Bytes after it are zeros
    TGeoIPCity expected;
};

void PrintTo(const RecordCase& c, std::ostream* os) {
    *os << c.name;
}

TGeoIPCity City(std::string code, std::string name, std::string region, std::string city,
                std::string postal, double latitude, double longitude, int dma = 0, int area = 0) {
    return TGeoIPCity{std::move(code),
                      std::move(name),
                      std::move(region),
                      std::move(city),
                      std::move(postal),
                      latitude,
                      longitude,
                      dma,
                      area};
}

class RecordTest : public ::testing::TestWithParam<RecordCase> {};

TEST_P(RecordTest, DecodesTheRecordWindow) {
    const RecordCase& c = GetParam();
    TempFolder folder;
    // Boundary 1: the address 200.0.0.1 (bit 31 set) ends at record offset 1,
    // byte 7. The record is followed by zeros, then by 40 bytes of 0x41 so
    // that a window read too far would show, and the edition block.
    Bytes file = Node(1, 2) + Bytes(1, '\0') + c.record;
    TGeoIP reader(folder.Write("db.dat", file + Bytes(60, '\0') + EditionBlock(c.edition, 1)));
    TGeoIPCity record;
    ASSERT_EQ(reader.LookupCity("200.0.0.1", record), lrFound);
    EXPECT_EQ(record, c.expected);
}

std::string Letters(std::size_t count, char c = 'x') {
    return std::string(count, c);
}

INSTANTIATE_TEST_SUITE_P(
    Records, RecordTest,
    ::testing::Values(
        RecordCase{
            "UsEdition2ReadsThirdNumber", 2,
            Record(225, "CA", "San Francisco", "94107", 0x229B60, 0x08CA00, 0x0C51F7),
            City("US", "United States", "CA", "San Francisco", "94107", 46.8, -122.4, 807, 415)},
        RecordCase{"UsEdition6HasNoThirdNumber", 6,
                   Record(225, "CA", "City", "", 0x1B7740, 0, 0x0C51F7),
                   City("US", "United States", "CA", "City", "", 0, -180)},
        RecordCase{"CanadaEdition2HasNoThirdNumber", 2,
                   Record(38, "ON", "Ottawa", "K1A", 0x1B7740, 0x1B7740, 0x0C51F7),
                   City("CA", "Canada", "ON", "Ottawa", "K1A", 0, 0)},
        RecordCase{"EmptyTexts", 6, Record(77, "", "", "", 0x229B60, 0x08CA00),
                   City("GB", "United Kingdom", "", "", "", 46.8, -122.4)},
        RecordCase{"CountryIndexZero", 6, Record(0, "r", "c", "p", 0x1B7740, 0x1B7740),
                   City("--", "N/A", "r", "c", "p", 0, 0)},
        RecordCase{"LastCountryIndex", 6, Record(252, "", "", "", 0x1B7740, 0x1B7740),
                   City("MF", "Saint Martin", "", "", "", 0, 0)},
        RecordCase{"IndexPastTablesReadsAsZero", 6, Record(253, "", "", "", 0x1B7740, 0x1B7740),
                   City("--", "N/A", "", "", "", 0, 0)},
        RecordCase{"Index255ReadsAsZero", 2, Record(255, "", "", "", 0x1B7740, 0x1B7740),
                   City("--", "N/A", "", "", "", 0, 0)},
        RecordCase{"Latin1BytesKept", 6, Record(56, "\xDC", "M\xFCnchen", "", 0x1B7740, 0x1B7740),
                   City("DE", "Germany", "\xDC", "M\xFCnchen", "", 0, 0)},
        RecordCase{"HighestNumbers", 6, Record(1, "", "", "", 0xFFFFFF, 0xFFFFFF),
                   City("AP", "Asia/Pacific Region", "", "", "", 1497.7215, 1497.7215)},
        // Third number at bytes 47..49, the last three of the window.
        RecordCase{
            "ThirdNumberEndsAtWindowEnd", 2,
            Record(225, Letters(15), Letters(15), Letters(7), 0x1B7740, 0x1B7740, 0x0C51F7),
            City("US", "United States", Letters(15), Letters(15), Letters(7), 0, 0, 807, 415)},
        // Third number at bytes 48..50: byte 50 lies outside and reads as 0.
        RecordCase{"ThirdNumberOneBytePastWindow", 2,
                   Record(225, Letters(15), Letters(15), Letters(8), 0x1B7740, 0x1B7740, 0x0C51F7),
                   City("US", "United States", Letters(15), Letters(15), Letters(8), 0, 0,
                        0x51F7 / 1000, 0x51F7 % 1000)},
        RecordCase{
            "ThirdNumberTwoBytesPastWindow", 2,
            Record(225, Letters(15), Letters(15), Letters(9), 0x1B7740, 0x1B7740, 0x0C51F7),
            City("US", "United States", Letters(15), Letters(15), Letters(9), 0, 0, 0, 0xF7)},
        RecordCase{"TextWithoutNulEndsAtWindowEnd", 6, Bytes("\x26") + Letters(70, 'A'),
                   City("CA", "Canada", Letters(49, 'A'), "", "", -180, -180)},
        RecordCase{"CityWithoutNulEndsAtWindowEnd", 6, Bytes("\x26r\0", 3) + Letters(70, 'B'),
                   City("CA", "Canada", "r", Letters(47, 'B'), "", -180, -180)},
        // Latitude at bytes 49..51: only its lowest byte lies in the window.
        RecordCase{"LatitudeCutByWindow", 6,
                   Bytes("\x26") + Letters(45) + Bytes("\0\0\0\x40\x77\x1B\x40\x77\x1B", 9),
                   City("CA", "Canada", Letters(45), "", "", -179.9936, -180)}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RecordTest, WindowPastEndOfFileReadsZeros) {
    TempFolder folder;
    // The edition block sits at bytes 6..12 and the file ends 3 bytes later.
    // The record position 2 + 5 * 1 = 7 lies inside the block, so the window
    // holds FF | FF 02 01 NUL | NUL | 26 61 62 and then nothing the file has:
    // those bytes count as zero, ending the postal code and the numbers.
    TGeoIP reader(folder.Write("db.dat", Node(1, 2) + EditionBlock(2, 1) + "&ab"));
    TGeoIPCity record;
    ASSERT_EQ(reader.LookupCity("200.0.0.1", record), lrFound);
    EXPECT_EQ(record, City("--", "N/A", "\xFF\x02\x01", "", "&ab", -180, -180));
}

TEST(ResultOrderTest, DecidesInvalidAddressBeforeEditionAndNotFoundLeavesRecord) {
    TempFolder folder;
    const Bytes record = Record(38, "R", "C", "P", 1800000, 1800000);
    const std::string city = folder.Write("city.dat", OneRecordFile(2, record));
    const std::string country = folder.Write("edition1.dat", OneRecordFile(1, record));
    const std::string noBlock = folder.Write("noblock.dat", Bytes(100, '\0'));
    const TGeoIPCity untouched = City("x", "y", "z", "w", "v", 1.5, 2.5, 3, 4);
    struct Row {
        const char* name;
        const std::string& file;
        const char* address;
        TLookupResult result;
    } rows[] = {
        {"ZeroAddressOnEdition1", country, "0.0.0.0", lrInvalidAddress},
        {"BroadcastOnEdition1", country, "255.255.255.255", lrInvalidAddress},
        {"WordOnCityEdition", city, "abc", lrInvalidAddress},
        {"UsableOnEdition1", country, "200.0.0.1", lrNotCityEdition},
        {"UsableWithoutBlock", noBlock, "200.0.0.1", lrNotCityEdition},
        {"WalkEndsAtBoundary", city, "100.0.0.1", lrNotFound},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TGeoIP reader(row.file);
        TGeoIPCity got = untouched;
        EXPECT_EQ(reader.LookupCity(row.address, got), row.result);
        EXPECT_EQ(got, untouched);
    }
    TGeoIP reader(city);
    TGeoIPCity got = untouched;
    EXPECT_EQ(reader.LookupCity("200.0.0.1", got), lrFound);
    EXPECT_EQ(got, City("CA", "Canada", "R", "C", "P", 0, 0));
}

// Every coordinate the format can hold, shown with 15 significant digits,
// must read exactly as the 4-decimal value v / 10000 - 180. The record bytes
// are rewritten in place between lookups: the reader caches nothing.
TEST(CoordinateTest, FifteenDigitTextIsTheFourDecimalValue) {
    TempFolder folder;
    const Bytes head = Node(1, 2) + Bytes(1, '\0');
    const std::string path = folder.Write("db.dat", head + Record(38, "", "", "", 0, 0) +
                                                        Bytes(50, '\0') + EditionBlock(6, 1));
    TGeoIP reader(path);
    int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    std::mt19937 random(42);
    std::uniform_int_distribution<std::uint32_t> any(0, 0xFFFFFF);
    std::vector<std::uint32_t> values;
    for (std::uint32_t v = 0; v <= 0xFFFFFF; v += 997) {
        values.push_back(v);
    }
    for (int i = 0; i < 20000; ++i) {
        values.push_back(any(random));
    }
    // Near 0 degrees a subtraction after the division loses digits.
    for (std::uint32_t v = 1790000; v <= 1810000; ++v) {
        values.push_back(v);
    }
    values.insert(values.end(), {0, 1, 9999, 0xFFFFFE, 0xFFFFFF});
    int failures = 0;
    for (std::uint32_t v : values) {
        Bytes numbers = LittleEndian(v, 3) + LittleEndian(0xFFFFFF - v, 3);
        ASSERT_EQ(::pwrite(fd, numbers.data(), numbers.size(), static_cast<off_t>(head.size() + 4)),
                  6);
        TGeoIPCity record;
        ASSERT_EQ(reader.LookupCity("200.0.0.1", record), lrFound);
        for (auto [stored, number] :
             {std::pair{record.Latitude, v}, {record.Longitude, 0xFFFFFF - v}}) {
            char shown[32];
            std::snprintf(shown, sizeof shown, "%.15g", stored);
            // The exact decimal: (number - 1800000) / 10000, written by hand.
            long long scaled = static_cast<long long>(number) - 1800000;
            long long whole = scaled / 10000;
            long long fraction = std::llabs(scaled % 10000);
            char exact[32];
            std::snprintf(exact, sizeof exact, "%s%lld.%04lld", scaled < 0 ? "-" : "",
                          std::llabs(whole), fraction);
            std::string expected = exact;
            while (expected.back() == '0') {
                expected.pop_back();
            }
            if (expected.back() == '.') {
                expected.pop_back();
            }
            if (expected == "-0") {
                expected = "0";
            }
            if (expected != shown && ++failures < 5) {
                ADD_FAILURE() << "v=" << number << " shows " << shown << ", expected " << expected;
            }
        }
    }
    ::close(fd);
    EXPECT_EQ(failures, 0);
}

} // namespace
} // namespace orvanta::geoip::test
