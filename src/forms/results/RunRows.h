// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The rows of a many-address run as the run makes them: per row its
// address, count and bytes, and the index of the values it shares with the
// other rows of its place and organisation (texts, coordinates). A row
// takes 40 bytes instead of a whole TResultRow's 256: the list makes whole
// rows only for the rows it is asked about, and reads the rest of a million
// (the summary of a run) from here.
//
//     TSharedRows store;                         // the run's, shared by its pieces
//     TRunRows piece{std::make_shared<...>(...)};
//     piece.Add(address, store.Add(values), count, bytes);
//     TResultRow row = piece.Row(0);             // address, count and shared values
#include "forms/results/ResultRow.h"

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Values shared by many rows, kept in fixed blocks so that one thread can
// add to it while another reads what was added before (a piece of rows is
// handed over only after its shared values are written).
class TSharedRows {
public:
    static constexpr std::size_t kCapacity = std::size_t{1} << 16;

    bool Fits(std::size_t more) const { return size_ + more <= kCapacity; }
    // Its index; the store must have room (Fits).
    std::uint32_t Add(TResultRow&& values);
    const TResultRow& operator[](std::uint32_t at) const {
        return blocks_[at / kBlock][at % kBlock];
    }

private:
    // Small blocks: most runs share a few hundred values.
    static constexpr std::size_t kBlock = 1024;
    std::array<std::unique_ptr<TResultRow[]>, kCapacity / kBlock> blocks_;
    std::size_t size_ = 0;
};

class TRunRows {
public:
    TRunRows() = default;
    explicit TRunRows(std::shared_ptr<const TSharedRows> shared) : shared_(std::move(shared)) {}

    std::size_t size() const { return rows_.size(); }
    bool empty() const { return rows_.empty(); }
    void reserve(std::size_t count) { rows_.reserve(count); }
    void shrink_to_fit() { rows_.shrink_to_fit(); }
    const TSharedRows* Shared() const { return shared_.get(); }
    // Room for the rows asked for, in large pages where the system has them.
    void* Data() { return rows_.data(); }
    std::size_t Capacity() const { return rows_.capacity(); }
    static constexpr std::size_t kRowBytes = 40;

    void Add(std::string_view address, std::uint32_t shared, std::uint64_t count,
             std::optional<std::uint64_t> bytes);

    TResultRow Row(std::size_t at) const;
    const TResultRow& SharedOf(std::size_t at) const { return (*shared_)[rows_[at].shared]; }
    std::uint32_t SharedIndex(std::size_t at) const { return rows_[at].shared; }
    std::string_view Address(std::size_t at) const;
    std::uint64_t Count(std::size_t at) const { return rows_[at].count; }
    std::optional<std::uint64_t> Bytes(std::size_t at) const {
        return rows_[at].hasBytes ? std::optional(rows_[at].bytes) : std::nullopt;
    }
    bool AnyBytes() const { return anyBytes_; }

private:
    static constexpr std::size_t kInline = 16;
    struct Entry {
        // The address's text when it fits, else the index of it in longer_.
        std::array<char, kInline> text;
        std::uint64_t count;
        std::uint64_t bytes;
        std::uint32_t shared;
        std::uint8_t size; // of the text; kInline + 1: in longer_
        bool hasBytes;
    };
    static_assert(sizeof(Entry) == kRowBytes);

    std::shared_ptr<const TSharedRows> shared_;
    std::vector<Entry> rows_;
    std::vector<std::string> longer_; // addresses longer than kInline
    bool anyBytes_ = false;
};
