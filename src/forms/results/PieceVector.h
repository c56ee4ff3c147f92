// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A sequence kept as the pieces it was appended in: appending a whole
// vector takes it over as it is, without moving a single element, so a
// piece of a hundred thousand rows made on another thread is swapped into
// the list in constant time and its memory is never touched again by the
// window's thread. Indexing finds the piece by a binary search over the
// pieces' starts.
//
// A piece can also be made on demand (AppendMade): its elements cost
// nothing until one of them is reached, and then only the small block
// around it is made. Reaching an element, also through a const
// reference, makes its block: the made blocks are a cache of the piece.
#include <algorithm>
#include <cstddef>
#include <functional>
#include <utility>
#include <vector>

template <class T> class PieceVector {
public:
    // The element at an index of a piece made on demand.
    using Maker = std::function<T(std::size_t)>;

    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }

    T& operator[](std::size_t at) { return Reach(at); }
    const T& operator[](std::size_t at) const { return Reach(at); }
    // The element if it is made (always, but in pieces made on demand),
    // else null: a look that makes nothing.
    const T* IfMade(std::size_t at) const {
        const std::size_t index = PieceOf(at);
        const Piece& piece = pieces_[index];
        const std::size_t offset = at - starts_[index];
        if (!piece.make)
            return &piece.values[offset];
        if (piece.blocks.empty() || piece.blocks[offset / kBlock].empty())
            return nullptr;
        return &piece.blocks[offset / kBlock][offset % kBlock];
    }

    // Single elements go to a small last piece.
    void push_back(T value) {
        if (pieces_.empty() || pieces_.back().values.size() >= kSmallPiece || !lastSmall_) {
            NewPiece({}, 0, {});
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
        NewPiece(std::move(values), count, {});
        lastSmall_ = false;
    }

    // Appends `count` elements, element i of them made by make(i) when it
    // (or one near it) is first reached.
    void AppendMade(std::size_t count, Maker make) {
        if (count == 0)
            return;
        size_ += count;
        NewPiece({}, count, std::move(make));
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
        std::vector<T> values; // all its elements, unless made on demand
        // Of a piece made on demand: its count, its maker and its blocks of
        // kBlock elements, each empty until made.
        std::size_t count = 0;
        Maker make;
        std::vector<std::vector<T>> blocks;
    };

    T& Reach(std::size_t at) const {
        const std::size_t index = PieceOf(at);
        Piece& piece = pieces_[index];
        const std::size_t offset = at - starts_[index];
        if (!piece.make)
            return piece.values[offset];
        if (piece.blocks.empty())
            piece.blocks.resize((piece.count + kBlock - 1) / kBlock);
        std::vector<T>& block = piece.blocks[offset / kBlock];
        if (block.empty()) {
            const std::size_t first = offset / kBlock * kBlock;
            const std::size_t n = std::min(kBlock, piece.count - first);
            block.reserve(n);
            for (std::size_t i = 0; i < n; ++i)
                block.push_back(piece.make(first + i));
        }
        return block[offset % kBlock];
    }

    // A piece of `count` elements, already counted in size_.
    void NewPiece(std::vector<T>&& values, std::size_t count, Maker make) {
        starts_.push_back(size_ - count);
        pieces_.push_back({std::move(values), count, std::move(make), {}});
    }
    std::size_t PieceOf(std::size_t at) const {
        return static_cast<std::size_t>(std::upper_bound(starts_.begin(), starts_.end(), at) -
                                        starts_.begin()) -
               1;
    }

    // Mutable: the blocks of pieces made on demand are made when reached.
    mutable std::vector<Piece> pieces_;
    std::vector<std::size_t> starts_; // the index of each piece's first element
    std::size_t size_ = 0;
    bool lastSmall_ = false; // the last piece takes single elements
};
