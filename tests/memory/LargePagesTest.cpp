// SPDX-License-Identifier: GPL-3.0-or-later
// Blocks in large pages: aligned where large, usable to their last byte,
// and a freed large block handed out again rather than mapped anew.
#include "memory/LargePages.h"

#include <cstdint>
#include <cstring>
#include <gtest/gtest.h>
#include <vector>

namespace {

using namespace orvanta::memory;

TEST(LargePages, BlocksOfEverySizeAreWholeAndLargeOnesAligned) {
    ReleaseKept();
    for (const std::size_t bytes :
         {std::size_t{1}, std::size_t{4096}, kLargePage - 1, kLargePage, 5 * kLargePage + 3}) {
        SCOPED_TRACE(bytes);
        auto* data = static_cast<unsigned char*>(AllocateLarge(bytes));
        ASSERT_NE(data, nullptr);
        if (bytes >= kLargePage) {
            EXPECT_EQ(reinterpret_cast<std::uintptr_t>(data) % kLargePage, 0u);
        }
        std::memset(data, 0xA5, bytes);
        EXPECT_EQ(data[bytes - 1], 0xA5);
        FreeLarge(data, bytes);
    }
    ReleaseKept();
}

TEST(LargePages, AFreedLargeBlockIsHandedOutAgainInParts) {
    ReleaseKept();
    void* big = AllocateLarge(3 * kLargePage);
    FreeLarge(big, 3 * kLargePage);
    // The smaller blocks come from the one freed, side by side.
    void* first = AllocateLarge(kLargePage);
    void* second = AllocateLarge(2 * kLargePage - 10);
    EXPECT_EQ(first, big);
    EXPECT_EQ(second, static_cast<char*>(big) + kLargePage);
    FreeLarge(first, kLargePage);
    FreeLarge(second, 2 * kLargePage - 10);
    // Given back, what comes next is mapped anew and just as usable.
    ReleaseKept();
    std::vector<int, LargePageAllocator<int>> values(kLargePage, 7);
    EXPECT_EQ(values.back(), 7);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(values.data()) % kLargePage, 0u);
}

} // namespace
