// SPDX-License-Identifier: GPL-3.0-or-later
#include "forms/results/RunRows.h"

#include <cstring>

std::uint32_t TSharedRows::Add(TResultRow&& values) {
    std::unique_ptr<TResultRow[]>& block = blocks_[size_ / kBlock];
    if (!block)
        block = std::make_unique<TResultRow[]>(kBlock);
    block[size_ % kBlock] = std::move(values);
    return static_cast<std::uint32_t>(size_++);
}

void TRunRows::Add(std::string_view address, std::uint32_t shared, std::uint64_t count,
                   std::optional<std::uint64_t> bytes) {
    Entry& row = rows_.emplace_back();
    if (address.size() <= kInline) {
        std::memcpy(row.text.data(), address.data(), address.size());
        row.size = static_cast<std::uint8_t>(address.size());
    } else {
        const auto index = static_cast<std::uint32_t>(longer_.size());
        longer_.emplace_back(address);
        std::memcpy(row.text.data(), &index, sizeof index);
        row.size = kInline + 1;
    }
    row.count = count;
    row.bytes = bytes.value_or(0);
    row.shared = shared;
    row.hasBytes = bytes.has_value();
    anyBytes_ = anyBytes_ || row.hasBytes;
}

std::string_view TRunRows::Address(std::size_t at) const {
    const Entry& row = rows_[at];
    if (row.size <= kInline)
        return {row.text.data(), row.size};
    std::uint32_t index = 0;
    std::memcpy(&index, row.text.data(), sizeof index);
    return longer_[index];
}

TResultRow TRunRows::Row(std::size_t at) const {
    TResultRow row = SharedOf(at);
    const std::string_view address = Address(at);
    row.address = QString::fromLatin1(address.data(), static_cast<qsizetype>(address.size()));
    row.count = rows_[at].count;
    row.bytes = Bytes(at);
    return row;
}
