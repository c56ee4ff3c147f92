// SPDX-License-Identifier: GPL-3.0-or-later
#include "mmdbimport/MmdbTreeWalker.h"

#include "CityRecords.h"
#include "MmdbTestWriter.h"
#include "TempFolder.h"
#include "mmdbimport/ImportError.h"
#include "mmdbimport/MmdbDatabase.h"

#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <set>

namespace orvanta::mmdbtest {
namespace {

using mmdbimport::DataRange;
using orvanta::test::TempFolder;

struct Network {
    std::uint32_t address;
    int prefix;
    int value; // which of a few distinct values
};

struct Range {
    std::uint32_t first;
    std::uint32_t last;
    int value;
};

struct WalkCase {
    const char* name;
    int ipVersion;
    int recordSize;
    std::vector<Network> networks;
    std::vector<Range> expected;
};
void PrintTo(const WalkCase& c, std::ostream* os) {
    *os << c.name;
}

Value Numbered(int n) {
    return Map({{"country_code", Text("V" + std::to_string(n))}});
}

class TreeWalkTest : public ::testing::TestWithParam<WalkCase> {};

TEST_P(TreeWalkTest, ListsRangesInOrderWithNeighboursOfOneRecordMerged) {
    const WalkCase& c = GetParam();
    MmdbTestWriter writer(c.ipVersion, c.recordSize);
    for (const Network& n : c.networks)
        writer.Insert(n.address, n.prefix, Numbered(n.value));
    TempFolder dir;
    writer.WriteTo(dir.File("t.mmdb"));

    const mmdbimport::MmdbDatabase db(dir.File("t.mmdb"));
    const auto walk = mmdbimport::MmdbTreeWalker(db).Walk();
    ASSERT_EQ(walk.ranges.size(), c.expected.size());
    // Data offsets stand for values: equal values share one offset.
    std::map<int, std::uint32_t> offsetOf;
    for (std::size_t i = 0; i < c.expected.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(walk.ranges[i].first, c.expected[i].first);
        EXPECT_EQ(walk.ranges[i].last, c.expected[i].last);
        auto [it, added] = offsetOf.try_emplace(c.expected[i].value, walk.ranges[i].dataOffset);
        EXPECT_EQ(it->second, walk.ranges[i].dataOffset);
    }
    std::set<std::uint32_t> distinct;
    for (const auto& [value, offset] : offsetOf)
        distinct.insert(offset);
    EXPECT_EQ(distinct.size(), offsetOf.size());
}

const std::uint32_t kAll = 0xFFFFFFFFu;

INSTANTIATE_TEST_SUITE_P(
    Shapes, TreeWalkTest,
    ::testing::Values(
        WalkCase{"one_slash8",
                 4,
                 24,
                 {{Ip(10, 0, 0, 0), 8, 1}},
                 {{Ip(10, 0, 0, 0), Ip(10, 255, 255, 255), 1}}},
        WalkCase{"right_half_before_left_subtree_is_not_emitted_early",
                 4,
                 24,
                 {{Ip(128, 0, 0, 0), 1, 1}, {Ip(1, 2, 3, 0), 24, 2}},
                 {{Ip(1, 2, 3, 0), Ip(1, 2, 3, 255), 2}, {Ip(128, 0, 0, 0), kAll, 1}}},
        WalkCase{"neighbours_with_one_value_merge",
                 4,
                 24,
                 {{Ip(10, 0, 0, 0), 9, 1}, {Ip(10, 128, 0, 0), 9, 1}, {Ip(11, 0, 0, 0), 8, 2}},
                 {{Ip(10, 0, 0, 0), Ip(10, 255, 255, 255), 1},
                  {Ip(11, 0, 0, 0), Ip(11, 255, 255, 255), 2}}},
        WalkCase{"gap_keeps_ranges_apart",
                 4,
                 24,
                 {{Ip(10, 0, 0, 0), 8, 1}, {Ip(12, 0, 0, 0), 8, 1}},
                 {{Ip(10, 0, 0, 0), Ip(10, 255, 255, 255), 1},
                  {Ip(12, 0, 0, 0), Ip(12, 255, 255, 255), 1}}},
        WalkCase{"narrower_network_inside_a_wider_one",
                 4,
                 24,
                 {{Ip(10, 0, 0, 0), 8, 1}, {Ip(10, 1, 2, 3), 32, 2}},
                 {{Ip(10, 0, 0, 0), Ip(10, 1, 2, 2), 1},
                  {Ip(10, 1, 2, 3), Ip(10, 1, 2, 3), 2},
                  {Ip(10, 1, 2, 4), Ip(10, 255, 255, 255), 1}}},
        WalkCase{"whole_space", 4, 24, {{0, 0, 1}}, {{0, kAll, 1}}},
        WalkCase{"highest_address", 4, 24, {{kAll, 32, 1}}, {{kAll, kAll, 1}}},
        WalkCase{"record_size_28",
                 4,
                 28,
                 {{Ip(1, 0, 0, 0), 16, 1}, {Ip(200, 0, 0, 0), 8, 2}},
                 {{Ip(1, 0, 0, 0), Ip(1, 0, 255, 255), 1},
                  {Ip(200, 0, 0, 0), Ip(200, 255, 255, 255), 2}}},
        WalkCase{"record_size_32",
                 4,
                 32,
                 {{Ip(1, 0, 0, 0), 16, 1}, {Ip(200, 0, 0, 0), 8, 2}},
                 {{Ip(1, 0, 0, 0), Ip(1, 0, 255, 255), 1},
                  {Ip(200, 0, 0, 0), Ip(200, 255, 255, 255), 2}}},
        WalkCase{
            "ipv6_database_ipv4_subtree",
            6,
            28,
            {{Ip(8, 8, 8, 0), 24, 1}, {Ip(81, 0, 0, 0), 8, 2}},
            {{Ip(8, 8, 8, 0), Ip(8, 8, 8, 255), 1}, {Ip(81, 0, 0, 0), Ip(81, 255, 255, 255), 2}}},
        WalkCase{"empty_database", 4, 24, {}, {}}),
    [](const auto& info) { return std::string(info.param.name); });

struct Ipv6Case {
    const char* name;
    std::array<std::uint8_t, 16> network;
    int prefix;
    std::vector<Range> expected;
};
void PrintTo(const Ipv6Case& c, std::ostream* os) {
    *os << c.name;
}

class Ipv6OutsideTest : public ::testing::TestWithParam<Ipv6Case> {};

TEST_P(Ipv6OutsideTest, OnlyTheSpaceAtColonColonSlash96CountsAsIPv4) {
    const Ipv6Case& c = GetParam();
    MmdbTestWriter writer(6, 24);
    writer.InsertIPv6(c.network, c.prefix, Numbered(1));
    TempFolder dir;
    writer.WriteTo(dir.File("t.mmdb"));
    const mmdbimport::MmdbDatabase db(dir.File("t.mmdb"));
    const auto walk = mmdbimport::MmdbTreeWalker(db).Walk();
    ASSERT_EQ(walk.ranges.size(), c.expected.size());
    for (std::size_t i = 0; i < c.expected.size(); ++i) {
        EXPECT_EQ(walk.ranges[i].first, c.expected[i].first);
        EXPECT_EQ(walk.ranges[i].last, c.expected[i].last);
    }
}

INSTANTIATE_TEST_SUITE_P(Ipv6, Ipv6OutsideTest,
                         ::testing::Values(
                             // ::/64 holds data above the depth of ::/96: all of IPv4 answers it.
                             Ipv6Case{"wider_network_covers_all_of_ipv4", {}, 64, {{0, kAll, 1}}},
                             Ipv6Case{"ipv4_mapped_space_is_not_ipv4",
                                      {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF, 8, 8, 8, 0},
                                      120,
                                      {}},
                             Ipv6Case{"global_unicast_only", {0x20, 0x01}, 16, {}}),
                         [](const auto& info) { return std::string(info.param.name); });

struct DamageCase {
    const char* name;
    std::uint32_t node;
    int side;
    int raw; // -1: point at the node itself (a loop); -2: past the data section
    const char* message;
};
void PrintTo(const DamageCase& c, std::ostream* os) {
    *os << c.name;
}

class DamagedTreeTest : public ::testing::TestWithParam<DamageCase> {};

TEST_P(DamagedTreeTest, StopsWithAClearMessage) {
    const DamageCase& c = GetParam();
    MmdbTestWriter writer(4, 24);
    writer.Insert(Ip(10, 0, 0, 0), 8, Numbered(1));
    writer.Insert(Ip(192, 0, 0, 0), 8, Numbered(2));
    const std::uint32_t count = writer.NodeCount();
    const std::uint64_t raw = c.raw == -1   ? c.node
                              : c.raw == -2 ? count + 16 + 100000
                                            : std::uint64_t(c.raw);
    writer.SetRawRecord(c.node, c.side, raw);
    TempFolder dir;
    writer.WriteTo(dir.File("t.mmdb"));
    const mmdbimport::MmdbDatabase db(dir.File("t.mmdb"));
    try {
        mmdbimport::MmdbTreeWalker(db).Walk();
        FAIL() << "walk succeeded";
    } catch (const mmdbimport::ImportError& error) {
        EXPECT_NE(std::string(error.what()).find(c.message), std::string::npos) << error.what();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Damage, DamagedTreeTest,
    ::testing::Values(DamageCase{"loop_to_itself", 3, 0, -1, "more than once"},
                      DamageCase{"loop_to_an_ancestor", 5, 1, 1, "more than once"},
                      DamageCase{"record_past_the_data", 1, 1, -2, "points outside"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TreeWalk, TreeDeeperThanThirtyTwoBitsIsRefused) {
    // A chain of 33 nodes along address 0: the last level has no address bit.
    std::string tree;
    const std::uint32_t count = 34;
    for (std::uint32_t n = 0; n < count; ++n) {
        const std::uint32_t left = n + 1 < count ? n + 1 : count;
        for (std::uint32_t v : {left, count})
            for (int i = 2; i >= 0; --i)
                tree += char((v >> (8 * i)) & 0xFF);
    }
    TempFolder dir;
    const std::string bytes = AssembleDatabase(tree, count, EncodeValue(Numbered(1)), 4, 24, "t");
    std::ofstream(dir.File("t.mmdb"), std::ios::binary).write(bytes.data(), long(bytes.size()));
    const mmdbimport::MmdbDatabase db(dir.File("t.mmdb"));
    EXPECT_THROW(
        {
            try {
                mmdbimport::MmdbTreeWalker(db).Walk();
            } catch (const mmdbimport::ImportError& e) {
                EXPECT_NE(std::string(e.what()).find("deeper than 32"), std::string::npos);
                throw;
            }
        },
        mmdbimport::ImportError);
}

TEST(MmdbDatabase, UnreadableFilesNameThePathAndTheReason) {
    TempFolder dir;
    std::ofstream(dir.File("junk.mmdb")) << "not a database";
    for (const std::string& path : {dir.File("missing.mmdb"), dir.File("junk.mmdb")}) {
        try {
            mmdbimport::MmdbDatabase db(path);
            FAIL() << path;
        } catch (const mmdbimport::ImportError& e) {
            EXPECT_NE(std::string(e.what()).find(path), std::string::npos) << e.what();
        }
    }
}

} // namespace
} // namespace orvanta::mmdbtest

namespace orvanta::mmdbtest {
namespace {

using geoip::AddressValue;

AddressValue Value6(std::initializer_list<std::uint8_t> leading) {
    AddressValue value = 0;
    int shift = 120;
    for (std::uint8_t byte : leading) {
        value |= AddressValue(byte) << shift;
        shift -= 8;
    }
    return value;
}

mmdbimport::TreeWalk WalkFile(const MmdbTestWriter& writer, int bits) {
    TempFolder dir;
    writer.WriteTo(dir.File("t.mmdb"));
    const mmdbimport::MmdbDatabase db(dir.File("t.mmdb"));
    return mmdbimport::MmdbTreeWalker(db, bits).Walk();
}

TEST(TreeWalkIPv6Test, LeavesOutTheIPv4PartsAndTheirAliases) {
    MmdbTestWriter writer(6, 24);
    writer.Insert(0x08080800, 24, Numbered(1));       // nodes 0 to 119; node 96 is the IPv4 root
    writer.InsertIPv6({0x20, 0x02}, 16, Numbered(2)); // nodes 120 to 132 on the 2002:: path
    writer.SetRawRecord(132, 0, 96);                  // 2002::/16 now leads into the IPv4 root
    writer.InsertIPv6({0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF}, 96, Numbered(3));
    writer.InsertIPv6({0x2a, 0x00, 0x14, 0x50}, 32, Numbered(4));

    const auto six = WalkFile(writer, 128);
    ASSERT_EQ(six.ranges.size(), 1u);
    EXPECT_EQ(six.ranges[0].first, Value6({0x2a, 0x00, 0x14, 0x50}));
    EXPECT_EQ(six.ranges[0].last, Value6({0x2a, 0x00, 0x14, 0x50}) | geoip::LowBits(96));

    const auto four = WalkFile(writer, 32);
    ASSERT_EQ(four.ranges.size(), 1u);
    EXPECT_EQ(four.ranges[0].first, 0x08080800u);
    EXPECT_EQ(four.ranges[0].last, 0x080808FFu);
}

TEST(TreeWalkIPv6Test, CutsTheIPv4PartsOutOfACoveringRecord) {
    MmdbTestWriter writer(6, 24);
    writer.InsertIPv6({0}, 8, Numbered(1));
    const auto walk = WalkFile(writer, 128);
    const AddressValue mapped = AddressValue(0xFFFF) << 32;
    ASSERT_EQ(walk.ranges.size(), 2u);
    EXPECT_EQ(walk.ranges[0].first, AddressValue(1) << 32);
    EXPECT_EQ(walk.ranges[0].last, mapped - 1);
    EXPECT_EQ(walk.ranges[1].first, mapped + (AddressValue(1) << 32));
    EXPECT_EQ(walk.ranges[1].last, geoip::LowBits(120));
    EXPECT_EQ(walk.ranges[0].dataOffset, walk.ranges[1].dataOffset);
}

TEST(TreeWalkIPv6Test, AnIPv4DatabaseHasNoIPv6Space) {
    MmdbTestWriter writer(4, 24);
    writer.Insert(0x08080800, 24, Numbered(1));
    EXPECT_THROW(WalkFile(writer, 128), mmdbimport::NoFamilyDataError);
}

} // namespace
} // namespace orvanta::mmdbtest
