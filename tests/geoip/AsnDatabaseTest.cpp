// SPDX-License-Identifier: GPL-3.0-or-later
// The organisation readers on hand-made files: a found text, no record, the
// other family's edition, and damaged files that must give a bounded text or
// nothing (never a read outside the file). The file reader and the in-memory
// image must agree on every one.

#include "geoip/AsnDatabase.h"

#include "TempFolder.h"
#include "geoip/AsnDatabaseImage.h"
#include "geoip/OrganizationOf.h"

#include <gtest/gtest.h>

namespace orvanta::geoip {
namespace {

using orvanta::test::TempFolder;

std::string Value(std::uint32_t v) {
    return std::string{static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF),
                       static_cast<char>((v >> 16) & 0xFF)};
}

// One tree node (boundary 1) whose two children are `left` and `right`, the
// text area, and the edition block.
std::string OneNodeFile(std::uint32_t left, std::uint32_t right, const std::string& texts,
                        std::uint8_t edition = 9, std::uint32_t boundary = 1) {
    return Value(left) + Value(right) + texts + "\xFF\xFF\xFF" +
           std::string(1, static_cast<char>(edition)) + Value(boundary);
}

struct FileCase {
    const char* name;
    std::string bytes;
    int depth;
    AddressValue address;
    std::optional<std::string> expected;
};

void PrintTo(const FileCase& c, std::ostream* os) {
    *os << c.name;
}

constexpr AddressValue High = AddressValue(1) << 127; // first bit set, IPv6
constexpr AddressValue HighV4 = 0x80000000u;

class AsnFileTest : public ::testing::TestWithParam<FileCase> {};

TEST_P(AsnFileTest, BothReadersAnswer) {
    const FileCase& c = GetParam();
    TempFolder folder;
    const std::string path = folder.Write("asn.dat", c.bytes);
    EXPECT_EQ(AsnDatabase(path, c.depth).Lookup(c.address), c.expected);
    const AsnDatabaseImage image(path, c.depth); // the answer points into it
    const auto fromImage = image.Lookup(c.address);
    EXPECT_EQ(fromImage ? std::optional<std::string>(std::string(*fromImage)) : std::nullopt,
              c.expected);
}

// Text at offset 1 of the area: terminal value boundary + 1.
const std::string Google = std::string(1, '\0') + "AS15169 Google LLC" + std::string(1, '\0');

INSTANTIATE_TEST_SUITE_P(
    Files, AsnFileTest,
    ::testing::Values(
        FileCase{"FoundOnTheRight", OneNodeFile(1, 2, Google), 32, HighV4, "AS15169 Google LLC"},
        FileCase{"BoundaryIsNoRecord", OneNodeFile(1, 2, Google), 32, 0, std::nullopt},
        FileCase{"Ipv6Edition", OneNodeFile(1, 2, Google, 21), 128, High, "AS15169 Google LLC"},
        FileCase{"Ipv6EditionAskedForIpv4", OneNodeFile(1, 2, Google, 21), 32, HighV4,
                 std::nullopt},
        FileCase{"Ipv4EditionAskedForIpv6", OneNodeFile(1, 2, Google), 128, High, std::nullopt},
        FileCase{"CityEdition", OneNodeFile(1, 2, Google, 6), 32, HighV4, std::nullopt},
        FileCase{"NoEditionBlock", Value(1) + Value(2) + Google, 32, HighV4, std::nullopt},
        FileCase{
            "TextWithoutNulWithin300",
            OneNodeFile(1, 2, std::string(1, '\0') + std::string(300, 'a') + std::string(1, '\0')),
            32, HighV4, std::nullopt},
        FileCase{
            "TextOf299BytesFits",
            OneNodeFile(1, 2, std::string(1, '\0') + std::string(299, 'a') + std::string(1, '\0')),
            32, HighV4, std::string(299, 'a')},
        // A text after the edition block, its NUL cut off by the file's end.
        FileCase{"TextRunsToTheEnd",
                 Value(1) + Value(9) + std::string(1, '\0') + "\xFF\xFF\xFF\x09" + Value(1) + "abc",
                 32, HighV4, std::nullopt},
        FileCase{"TextJustBeforeTheEnd",
                 Value(1) + Value(9) + std::string(1, '\0') + "\xFF\xFF\xFF\x09" + Value(1) +
                     "abc" + std::string(1, '\0'),
                 32, HighV4, "abc"},
        FileCase{"ValuePastTheEnd", OneNodeFile(1, 0xFFF000, Google), 32, HighV4, std::nullopt},
        FileCase{"LoopingTree", OneNodeFile(0, 0, Google), 32, HighV4, std::nullopt},
        FileCase{"LoopingIpv6Tree", OneNodeFile(0, 0, Google, 21), 128, High, std::nullopt},
        FileCase{"NodesPastTheEnd", OneNodeFile(5000, 6000, Google, 9, 10000), 32, HighV4,
                 std::nullopt},
        FileCase{"Truncated", OneNodeFile(1, 2, Google).substr(0, 12), 32, HighV4, std::nullopt},
        FileCase{"Empty", "", 32, HighV4, std::nullopt}));

TEST(OrganizationOfTest, ChoosesTheFileByFamilyAndIsEmptyWithoutFiles) {
    TempFolder folder;
    const std::string v4 = folder.Write("v4.dat", OneNodeFile(1, 2, Google));
    const std::string v6 = folder.Write(
        "v6.dat", OneNodeFile(2, 1, std::string(1, '\0') + "AS6939 HE" + std::string(1, '\0'), 21));
    EXPECT_EQ(OrganizationOf("200.1.2.3", v4, v6), "AS15169 Google LLC");
    EXPECT_EQ(OrganizationOf("100.1.2.3", v4, v6), "");
    EXPECT_EQ(OrganizationOf("::1", v4, v6), "AS6939 HE");
    EXPECT_EQ(OrganizationOf("::ffff:200.1.2.3", v4, v6), "AS15169 Google LLC");
    EXPECT_EQ(OrganizationOf("nonsense", v4, v6), "");
    EXPECT_EQ(OrganizationOf("200.1.2.3", folder.File("missing"), v6), "");
    EXPECT_EQ(OrganizationOf("200.1.2.3", folder.path().string(), v6), ""); // a directory
}

} // namespace
} // namespace orvanta::geoip
