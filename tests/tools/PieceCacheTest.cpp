// SPDX-License-Identifier: GPL-3.0-or-later
#include "PieceCache.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace orvanta::dbtool {
namespace {

std::string PieceFor(std::uint32_t key) {
    return "\t" + std::to_string(key) + "\tname";
}

// Enough keys to grow the table several times; keys that share low or high
// bits, the largest key and 0 (the key of "no record") among them.
TEST(PieceCacheTest, KeepsEveryPieceThroughGrowth) {
    std::vector<std::uint32_t> keys = {0, 1, 0xFFFFFFFFu, 0x80000000u};
    for (std::uint32_t i = 1; i <= 20000; ++i) {
        keys.push_back(i << 16);
        keys.push_back(i * 7 + 3);
    }
    PieceCache cache;
    for (const std::uint32_t key : keys) {
        ASSERT_EQ(cache.Find(key).data(), nullptr) << key;
        EXPECT_EQ(cache.Insert(key, PieceFor(key)), PieceFor(key)) << key;
    }
    EXPECT_EQ(cache.size(), keys.size());
    for (const std::uint32_t key : keys) {
        EXPECT_EQ(cache.Find(key), PieceFor(key)) << key;
    }
    for (const std::uint32_t absent : {2u, 0x10002u, 0xFFFFFFFEu}) {
        EXPECT_EQ(cache.Find(absent).data(), nullptr) << absent;
    }
}

TEST(PieceCacheTest, AnEmptyPieceIsFound) {
    PieceCache cache;
    cache.Insert(5, "");
    EXPECT_NE(cache.Find(5).data(), nullptr);
    EXPECT_TRUE(cache.Find(5).empty());
}

} // namespace
} // namespace orvanta::dbtool
