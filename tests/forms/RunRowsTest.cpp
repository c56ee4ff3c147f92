// SPDX-License-Identifier: GPL-3.0-or-later
// Pieces made on demand make only the block asked for, and a run's rows
// stay whole past the room of one store of shared values.
#include "forms/results/PieceVector.h"
#include "forms/work/RunRowMaker.h"

#include <gtest/gtest.h>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace {

TEST(PieceVector, APieceMadeOnDemandMakesTheBlockReached) {
    PieceVector<int> values;
    values.append({1, 2, 3});
    int made = 0;
    values.AppendMade(1000, [&made](std::size_t at) { return ++made, 100 + static_cast<int>(at); });
    values.push_back(7);
    ASSERT_EQ(values.size(), 1004u);
    const struct {
        std::size_t at;
        int value;
        int madeSoFar; // the maker's calls once the element is reached
    } kReads[] = {{0, 1, 0},       {3, 100, 256},     {300, 397, 512},
                  {258, 355, 512}, {1002, 1099, 744}, {1003, 7, 744}};
    for (const auto& read : kReads) {
        SCOPED_TRACE(read.at);
        // Only a look, before: nothing is made by it.
        if (read.madeSoFar > made) {
            EXPECT_EQ(values.IfMade(read.at), nullptr);
        }
        EXPECT_EQ(std::as_const(values)[read.at], read.value);
        EXPECT_EQ(made, read.madeSoFar);
        ASSERT_NE(values.IfMade(read.at), nullptr);
    }
    values.clear();
    EXPECT_TRUE(values.empty());
}

TEST(RunRowMaker, RowsStayWholePastTheRoomOfOneStore) {
    // A place of its own for every row: the first store fills up.
    std::vector<orvanta::bulk::BulkRow> in(TSharedRows::kCapacity + 100);
    for (std::size_t i = 0; i < in.size(); ++i) {
        in[i].address = "10.0." + std::to_string(i >> 8) + "." + std::to_string(i & 255);
        in[i].count = i + 1;
        in[i].found = true;
        in[i].place = static_cast<std::uint32_t>(i + 1);
        in[i].record.City = "C" + std::to_string(i);
    }
    TRunRowMaker maker;
    std::vector<TRunRows> pieces{maker.NewPiece()};
    const std::span<const orvanta::bulk::BulkRow> all(in);
    for (std::size_t from = 0; from < all.size(); from += TRunRowMaker::kBatch) {
        const auto part = all.subspan(from, std::min(TRunRowMaker::kBatch, all.size() - from));
        if (!maker.Fits(part.size())) {
            maker.Renew();
            // A piece of the old store takes no rows of the new one.
            EXPECT_THROW(maker.Make(part, false, pieces.back()), std::logic_error);
            pieces.push_back(maker.NewPiece());
        }
        maker.Make(part, false, pieces.back());
    }
    ASSERT_EQ(pieces.size(), 2u);
    std::size_t row = 0;
    for (const TRunRows& piece : pieces)
        for (std::size_t at = 0; at < piece.size(); ++at, ++row)
            if (at == 0 || at + 1 == piece.size()) {
                const TResultRow whole = piece.Row(at);
                EXPECT_EQ(whole.city.toStdString(), in[row].record.City);
                EXPECT_EQ(whole.address.toStdString(), in[row].address);
                EXPECT_EQ(whole.count, in[row].count);
            }
    EXPECT_EQ(row, in.size());
}

} // namespace
