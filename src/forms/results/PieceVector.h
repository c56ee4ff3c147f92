// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A sequence kept as the pieces it was appended in: appending a whole
// vector takes it over as it is, without moving a single element, so a
// piece of a hundred thousand rows made on another thread is swapped into
// the list in constant time and its memory is never touched again by the
// window's thread. Indexing finds the piece by a binary search over the
// pieces' starts.
#include <algorithm>
#include <cstddef>
#include <vector>

template <class T> class PieceVector {
public:
    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }

    T& operator[](std::size_t at) {
        const std::size_t piece = PieceOf(at);
        return pieces_[piece][at - starts_[piece]];
    }
    const T& operator[](std::size_t at) const {
        const std::size_t piece = PieceOf(at);
        return pieces_[piece][at - starts_[piece]];
    }

    // Single elements go to a small last piece.
    void push_back(T value) {
        if (pieces_.empty() || pieces_.back().size() >= kSmallPiece || !lastSmall_) {
            NewPiece({});
            lastSmall_ = true;
        }
        pieces_.back().push_back(std::move(value));
        ++size_;
    }

    void append(std::vector<T>&& values) {
        if (values.empty())
            return;
        size_ += values.size();
        NewPiece(std::move(values));
        lastSmall_ = false;
    }

    void clear() {
        pieces_.clear();
        starts_.clear();
        size_ = 0;
    }

private:
    static constexpr std::size_t kSmallPiece = 4096;

    void NewPiece(std::vector<T>&& values) {
        starts_.push_back(size_ - values.size());
        pieces_.push_back(std::move(values));
    }
    std::size_t PieceOf(std::size_t at) const {
        return static_cast<std::size_t>(std::upper_bound(starts_.begin(), starts_.end(), at) -
                                        starts_.begin()) -
               1;
    }

    std::vector<std::vector<T>> pieces_;
    std::vector<std::size_t> starts_; // the index of each piece's first element
    std::size_t size_ = 0;
    bool lastSmall_ = false; // the last piece takes single elements
};
