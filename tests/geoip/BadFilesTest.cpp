// SPDX-License-Identifier: GPL-3.0-or-later
// Files the reader cannot open, and damaged files it must answer without
// crashing: every lookup gives one of the four result codes.

#include "TestDatabase.h"
#include "geoip/TGeoIP.h"
#include "geoipwriter/CityDatabaseWriter.h"

#include <gtest/gtest.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace orvanta::geoip::test {
namespace {

struct OpenCase {
    const char* name;
    std::string (*make)(const TempFolder&); // returns the name to open
    const char* systemText;
    bool failsForRoot;
};

void PrintTo(const OpenCase& c, std::ostream* os) {
    *os << c.name;
}

class OpenErrorTest : public ::testing::TestWithParam<OpenCase> {};

TEST_P(OpenErrorTest, ThrowsWithAbsoluteNameAndSystemText) {
    const OpenCase& c = GetParam();
    if (!c.failsForRoot && ::geteuid() == 0) {
        GTEST_SKIP() << "root reads files regardless of permissions";
    }
    TempFolder folder;
    const std::string name = c.make(folder);
    try {
        TGeoIP reader(name);
        FAIL() << "opened " << name;
    } catch (const EFOpenError& error) {
        EXPECT_EQ(std::string(error.what()), "Cannot open file \"" +
                                                 EFOpenError::ExpandFileName(name) + "\". " +
                                                 c.systemText);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Files, OpenErrorTest,
    ::testing::Values(
        OpenCase{"Missing",
                 [](const TempFolder& f) { return (f.path() / "GeoLiteCity.dat").string(); },
                 "No such file or directory", true},
        OpenCase{"Directory", [](const TempFolder& f) { return f.path().string(); },
                 "Is a directory", true},
        OpenCase{"FileAsFolder",
                 [](const TempFolder& f) { return f.Write("plain", "x") + "/GeoLiteCity.dat"; },
                 "Not a directory", true},
        OpenCase{"NameTooLong",
                 [](const TempFolder& f) { return (f.path() / std::string(300, 'n')).string(); },
                 "File name too long", true},
        OpenCase{"Unreadable",
                 [](const TempFolder& f) {
                     std::string path = f.Write("locked.dat", Bytes(40, '\0'));
                     ::chmod(path.c_str(), 0);
                     return path;
                 },
                 "Permission denied", false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(OpenErrorTest, RelativeNameIsExpandedAgainstCurrentDirectory) {
    char cwd[4096];
    ASSERT_NE(::getcwd(cwd, sizeof cwd), nullptr);
    const std::string base = std::string(cwd) == "/" ? "" : cwd;
    EXPECT_EQ(EFOpenError::ExpandFileName("GeoLiteCity.dat"), base + "/GeoLiteCity.dat");
    EXPECT_EQ(EFOpenError::ExpandFileName("./a/../GeoLiteCity.dat"), base + "/GeoLiteCity.dat");
    EXPECT_EQ(EFOpenError::ExpandFileName("/x/y.dat"), "/x/y.dat");
    try {
        TGeoIP reader("orvanta-surely-missing.dat");
        FAIL();
    } catch (const EFOpenError& error) {
        EXPECT_EQ(std::string(error.what()), "Cannot open file \"" + base +
                                                 "/orvanta-surely-missing.dat\". No such file or "
                                                 "directory");
    }
}

// A FIFO given as database must not block the caller in open() waiting for a
// writer; it has no bytes to read, so it is a file without edition block.
TEST(OpenErrorTest, FifoOpensWithoutBlockingAndHasNoEditionBlock) {
    TempFolder folder;
    const std::string path = (folder.path() / "fifo.dat").string();
    ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
    TGeoIP reader(path);
    EXPECT_EQ(reader.edition(), 1);
    TGeoIPCity record;
    EXPECT_EQ(reader.LookupCity("1.2.3.4", record), lrNotCityEdition);
}

void ExpectResultCodes(const std::string& path) {
    TGeoIP reader(path);
    for (const char* address : {"1.2.3.4", "128.0.0.1", "255.255.255.254", "0.0.0.1", "x"}) {
        TGeoIPCity record;
        TLookupResult result = reader.LookupCity(address, record);
        ASSERT_LE(static_cast<int>(result), 3) << address;
        if (result == lrFound) {
            ASSERT_EQ(record.CountryCode.size(), 2u);
            ASSERT_LE(record.Region.size() + record.City.size() + record.PostalCode.size(), 49u);
        }
    }
}

TEST(DamagedFileTest, RandomFilesAlwaysGiveAResultCode) {
    TempFolder folder;
    std::mt19937 random(7);
    std::uniform_int_distribution<int> byte(0, 255);
    for (int i = 0; i < 2000; ++i) {
        Bytes file(static_cast<std::size_t>(random() % 200), '\0');
        for (char& c : file) {
            c = static_cast<char>(byte(random));
        }
        // Most files get a city edition block so that the walk really runs.
        if (i % 4 != 0) {
            file += EditionBlock(i % 2 ? 2 : 6, static_cast<std::uint32_t>(random() % 64));
        }
        ExpectResultCodes(folder.Write("random.dat", file));
    }
}

TEST(DamagedFileTest, MutatedAndTruncatedDatabasesAlwaysGiveAResultCode) {
    TempFolder folder;
    CityRanges ranges;
    std::mt19937 random(11);
    for (std::uint32_t i = 0; i < 40; ++i) {
        CityRecordData record;
        record.countryIndex = static_cast<std::uint8_t>(i % 253);
        record.city = "city" + std::to_string(i);
        record.latitude = i;
        ranges.push_back({i << 26, (i << 26) + 0x00FFFFFF, record});
    }
    const std::string original = (folder.path() / "good.dat").string();
    WriteCityDatabase(original, ranges, WriteOptions{2, false});
    const Bytes good = ReadFile(original);
    for (int i = 0; i < 1500; ++i) {
        Bytes file = good;
        if (i % 3 == 0) {
            file.resize(random() % file.size()); // cut anywhere, tree or records
        } else {
            for (int flips = 1 + static_cast<int>(random() % 8); flips > 0; --flips) {
                file[random() % file.size()] = static_cast<char>(random());
            }
        }
        ExpectResultCodes(folder.Write("mutated.dat", file));
    }
}

} // namespace
} // namespace orvanta::geoip::test
