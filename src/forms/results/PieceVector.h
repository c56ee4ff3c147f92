// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A sequence kept as the pieces it was appended in: appending a whole
// vector takes it over as it is, without moving a single element, so a
// piece of a hundred thousand rows made on another thread is swapped into
// the list in constant time and its memory is never touched again by the
// window's thread. Indexing finds the piece by a binary search over the
// pieces' starts.
//
// A piece of many equal elements (AppendFilled) costs nothing until one of
// them is reached for change; then only the small block around it is made.
#include <algorithm>
#include <cstddef>
#include <utility>
#include <vector>

template <class T> class PieceVector {
public:
    // `fill`: the value of the elements of AppendFilled.
    explicit PieceVector(T fill = T{}) : fill_(std::move(fill)) {}

    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }

    T& operator[](std::size_t at) {
        const std::size_t index = PieceOf(at);
        Piece& piece = pieces_[index];
        const std::size_t offset = at - starts_[index];
        if (piece.filled == 0)
            return piece.values[offset];
        if (piece.blocks.empty())
            piece.blocks.resize((piece.filled + kBlock - 1) / kBlock);
        std::vector<T>& block = piece.blocks[offset / kBlock];
        if (block.empty())
            block.assign(std::min(kBlock, piece.filled - offset / kBlock * kBlock), fill_);
        return block[offset % kBlock];
    }
    // Reading makes nothing: an element not made yet is the fill.
    const T& operator[](std::size_t at) const {
        const std::size_t index = PieceOf(at);
        const Piece& piece = pieces_[index];
        const std::size_t offset = at - starts_[index];
        if (piece.filled == 0)
            return piece.values[offset];
        if (piece.blocks.empty() || piece.blocks[offset / kBlock].empty())
            return fill_;
        return piece.blocks[offset / kBlock][offset % kBlock];
    }

    // Single elements go to a small last piece.
    void push_back(T value) {
        if (pieces_.empty() || pieces_.back().values.size() >= kSmallPiece || !lastSmall_) {
            NewPiece({}, 0);
            lastSmall_ = true;
        }
        pieces_.back().values.push_back(std::move(value));
        ++size_;
    }

    void append(std::vector<T>&& values) {
        if (values.empty())
            return;
        const std::size_t count = values.size();
        size_ += count;
        NewPiece(std::move(values), count);
        lastSmall_ = false;
    }

    // Appends `count` elements equal to the fill.
    void AppendFilled(std::size_t count) {
        if (count == 0)
            return;
        size_ += count;
        NewPiece({}, count);
        pieces_.back().filled = count;
        lastSmall_ = false;
    }

    void clear() {
        pieces_.clear();
        starts_.clear();
        size_ = 0;
    }

private:
    static constexpr std::size_t kSmallPiece = 4096;
    static constexpr std::size_t kBlock = 256;

    struct Piece {
        std::vector<T> values; // all its elements, unless filled
        // Of a filled piece: its count, and its blocks of kBlock elements,
        // each empty until made.
        std::size_t filled = 0;
        std::vector<std::vector<T>> blocks;
    };

    // A piece of `count` elements, already counted in size_.
    void NewPiece(std::vector<T>&& values, std::size_t count) {
        starts_.push_back(size_ - count);
        pieces_.push_back({std::move(values), 0, {}});
    }
    std::size_t PieceOf(std::size_t at) const {
        return static_cast<std::size_t>(std::upper_bound(starts_.begin(), starts_.end(), at) -
                                        starts_.begin()) -
               1;
    }

    std::vector<Piece> pieces_;
    std::vector<std::size_t> starts_; // the index of each piece's first element
    std::size_t size_ = 0;
    bool lastSmall_ = false; // the last piece takes single elements
    T fill_;
};
