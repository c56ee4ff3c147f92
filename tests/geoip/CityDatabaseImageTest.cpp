// SPDX-License-Identifier: GPL-3.0-or-later
// The in-memory image must answer every lookup exactly as the per-lookup file
// reader does (result, all nine fields, and the walk's prefix length), on
// good, odd and damaged files alike, and keep answering from its copy when the
// file changes under it.

#include "geoip/CityDatabaseImage.h"

#include "TestDatabase.h"
#include "geoip/TGeoIP.h"
#include "geoipwriter/CityDatabaseWriter.h"

#include <arpa/inet.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <random>

namespace orvanta::geoip::test {
namespace {

std::string Dotted(std::uint32_t number) {
    in_addr address{htonl(number)};
    char text[INET_ADDRSTRLEN];
    return inet_ntop(AF_INET, &address, text, sizeof text);
}

// Compares both readers on random addresses (biased towards the ones a small
// tree tells apart) and a few texts that are not addresses.
void ExpectSameAnswers(const std::string& path, std::uint32_t seed, int count = 3000) {
    const CityDatabaseImage image(path);
    std::mt19937 random(seed);
    std::vector<std::string> addresses = {"0.0.0.0", "255.255.255.255", "1.2.3.4", "x",
                                          "",        "255.255.255.254", "0.0.0.1", "128.0.0.0"};
    for (int i = 0; i < count; ++i) {
        std::uint32_t number = random();
        if (i % 2 == 0) {
            number &= 0xFF0000FF; // few distinct high bits
        }
        addresses.push_back(Dotted(number));
    }
    for (const std::string& address : addresses) {
        TGeoIP reader(path);
        TGeoIPCity expected;
        TGeoIPCity got;
        expected.City = got.City = "untouched";
        int expectedPrefix = 0;
        int gotPrefix = 0;
        const TLookupResult want = reader.LookupCity(address, expected, expectedPrefix);
        ASSERT_EQ(image.LookupCity(address, got, gotPrefix), want) << path << " " << address;
        ASSERT_EQ(got, expected) << address;
        ASSERT_EQ(gotPrefix, expectedPrefix) << address;
        const std::uint32_t number = TGeoIP::AddressToNumber(address);
        int walkPrefix = 0;
        const std::uint32_t value = reader.WalkTree(number, walkPrefix);
        const CityDatabaseImage::Walk walk = image.WalkTree(number);
        ASSERT_EQ(walk.value, value) << address;
        ASSERT_EQ(walk.prefixLength, walkPrefix) << address;
    }
    EXPECT_EQ(image.edition(), TGeoIP(path).edition());
    EXPECT_EQ(image.segments(), TGeoIP(path).segments());
    EXPECT_EQ(image.recordLength(), TGeoIP(path).recordLength());
}

CityRanges RandomRanges(std::mt19937& random, int count) {
    CityRanges ranges;
    std::uint32_t start = random() % 1000;
    for (int i = 0; i < count; ++i) {
        CityRecordData record;
        record.countryIndex = static_cast<std::uint8_t>(random() % 253);
        record.region = i % 3 ? "R" + std::to_string(i % 17) : "";
        record.city = "City " + std::to_string(i % 101);
        record.postalCode = i % 5 ? std::to_string(random() % 99999) : "";
        record.latitude = static_cast<double>(random() % 1800000) / 10000.0 - 90;
        record.longitude = static_cast<double>(random() % 3600000) / 10000.0 - 180;
        record.dmaCode = static_cast<std::int32_t>(random() % 900);
        record.areaCode = static_cast<std::int32_t>(random() % 1000);
        const std::uint32_t length = 1 + random() % (1u << (random() % 24));
        if (start > 0xFFFFFFFFu - length - 1024) {
            break;
        }
        ranges.push_back({start, start + length - 1, record});
        start += length + random() % (1u << (random() % 24));
    }
    return ranges;
}

struct FileCase {
    const char* name;
    std::function<Bytes(std::mt19937&, TempFolder&)> make;
};

Bytes Written(std::mt19937& random, TempFolder& folder, int edition) {
    const std::string path = folder.File("written.dat");
    WriteCityDatabase(path, RandomRanges(random, 400), {edition, true});
    return ReadFile(path);
}

Bytes RandomBytes(std::mt19937& random, std::size_t size) {
    Bytes bytes(size, '\0');
    for (char& c : bytes) {
        c = static_cast<char>(random());
    }
    return bytes;
}

const FileCase FileCases[] = {
    {"Edition6", [](auto& r, auto& f) { return Written(r, f, 6); }},
    {"Edition2", [](auto& r, auto& f) { return Written(r, f, 2); }},
    {"Truncated",
     [](auto& r, auto& f) {
         Bytes b = Written(r, f, 2);
         b.resize(b.size() / 3); // no edition block: edition 1
         return b;
     }},
    {"RecordsCut",
     [](auto& r, auto& f) {
         Bytes b = Written(r, f, 6);
         const Bytes block = b.substr(b.size() - 7);
         b.resize(b.size() * 9 / 10); // records past the end read as zeros
         return b + block;
     }},
    {"Mutated",
     [](auto& r, auto& f) {
         Bytes b = Written(r, f, 6);
         for (int i = 0; i < 40; ++i) {
             b[r() % (b.size() - 7)] = static_cast<char>(r());
         }
         return b;
     }},
    {"RandomWithCityBlock",
     [](auto& r, auto&) { return RandomBytes(r, 300) + EditionBlock(2, 40); }},
    {"FourByteNodes", [](auto& r, auto&) { return RandomBytes(r, 200) + EditionBlock(4, 20); }},
    {"WalkThroughAllBits",
     [](auto&, auto&) { return Node(0, 0) + Record(1, "", "", "", 1, 2) + EditionBlock(6, 1); }},
    {"NoEditionBlock", [](auto& r, auto&) { return RandomBytes(r, 100); }},
    {"TwoBytes", [](auto&, auto&) { return Bytes("\xFF\xFF"); }},
    {"Empty", [](auto&, auto&) { return Bytes(); }},
};

void PrintTo(const FileCase& c, std::ostream* os) {
    *os << c.name;
}

class ImageAnswersTest : public ::testing::TestWithParam<FileCase> {};

TEST_P(ImageAnswersTest, SameAsTheFileReader) {
    TempFolder folder;
    std::mt19937 random(static_cast<std::uint32_t>(std::hash<std::string>()(GetParam().name)));
    for (int round = 0; round < 3; ++round) {
        const std::string path = folder.Write("case.dat", GetParam().make(random, folder));
        ExpectSameAnswers(path, random(), round == 0 ? 3000 : 500);
    }
}

INSTANTIATE_TEST_SUITE_P(Files, ImageAnswersTest, ::testing::ValuesIn(FileCases),
                         [](const auto& info) { return std::string(info.param.name); });

// A file larger than the part the image keeps: the tree at its start, the
// edition block at its end, a sparse hole between.
TEST(CityDatabaseImageTest, HugeFileKeepsHeadAndTail) {
    TempFolder folder;
    const std::string path = folder.File("huge.dat");
    {
        std::ofstream out(path, std::ios::binary);
        out << Node(1, 2) << Node(2, 3) << Bytes(1, '\0')
            << Record(225, "CA", "Mountain View", "", 2178000, 580000);
    }
    std::filesystem::resize_file(path, (std::uint64_t(200) << 20));
    {
        std::ofstream out(path, std::ios::binary | std::ios::app);
        out << EditionBlock(6, 2);
    }
    ExpectSameAnswers(path, 5, 200);
    TGeoIPCity record;
    int prefix = 0;
    EXPECT_EQ(CityDatabaseImage(path).LookupCity("64.1.1.1", record, prefix), lrFound);
    EXPECT_EQ(record.City, "Mountain View");
    EXPECT_EQ(prefix, 2);
}

TEST(CityDatabaseImageTest, KeepsItsCopyWhenTheFileIsCutOrReplaced) {
    TempFolder folder;
    std::mt19937 random(3);
    const std::string path = folder.Write("db.dat", Written(random, folder, 6));
    const CityDatabaseImage image(path);
    std::vector<std::pair<TLookupResult, TGeoIPCity>> before;
    for (std::uint32_t i = 0; i < 256; ++i) {
        TGeoIPCity record;
        int prefix = 0;
        before.emplace_back(image.LookupCity(Dotted(i << 24 | 77), record, prefix), record);
    }
    std::filesystem::resize_file(path, 10);
    folder.Write("db.dat", "junk");
    for (std::uint32_t i = 0; i < 256; ++i) {
        TGeoIPCity record;
        int prefix = 0;
        ASSERT_EQ(image.LookupCity(Dotted(i << 24 | 77), record, prefix), before[i].first);
        ASSERT_EQ(record, before[i].second);
    }
}

TEST(CityDatabaseImageTest, OpenErrorsReadAsTheFileReaderSaysThem) {
    TempFolder folder;
    for (const std::string& path : {folder.File("missing.dat"), folder.path().string()}) {
        std::string expected;
        try {
            TGeoIP reader(path);
        } catch (const EFOpenError& error) {
            expected = error.what();
        }
        ASSERT_FALSE(expected.empty());
        try {
            CityDatabaseImage image(path);
            ADD_FAILURE() << path;
        } catch (const EFOpenError& error) {
            EXPECT_EQ(error.what(), expected);
        }
    }
}

} // namespace
} // namespace orvanta::geoip::test
