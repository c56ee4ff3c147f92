// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The results rows of a many-address run, made from the run's answers on
// the run's side, ready for the list.
//
//     TRunRowMaker maker;
//     if (!maker.Fits(answered.size()))
//         maker.Renew();                        // after handing over the piece
//     TRunRows piece = maker.NewPiece();
//     maker.Make(answered, false, piece);       // appends a row per answer
#include "bulk/BulkLocate.h"
#include "forms/results/ResultRow.h"
#include "forms/results/RunRows.h"

#include <QString>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

// Rows of one place and organisation differ only in their address and
// count: the rest of the values is made once per place and shared by its
// rows (TSharedRows), up to TSharedRows::kCapacity places, after which the
// maker starts a new store. The list makes a row's texts only when they are
// first asked for (most of a million rows are never shown), so none are
// made here.
class TRunRowMaker {
public:
    // An empty piece on the current store of shared values.
    TRunRows NewPiece() const { return TRunRows(made_); }
    // Whether `count` more rows surely go into a piece on the current store
    // (at most kBatch at a time); else the piece is handed over first and
    // the store renewed.
    static constexpr std::size_t kBatch = 4096;
    bool Fits(std::size_t count) const { return made_->Fits(count); }
    void Renew();
    // Appends the rows of `in` (at most kBatch, and Fits) to `rows`, a piece
    // on the current store; `capture`: the rows carry their bytes on the wire.
    void Make(std::span<const orvanta::bulk::BulkRow> in, bool capture, TRunRows& rows);

private:
    // The index in made_ of the values made for `in`'s place and
    // organisation, made now if new.
    std::uint32_t Template(const orvanta::bulk::BulkRow& in);

    // As LocatedRow, with texts that recur from place to place (countries,
    // regions, city names, organisations) made once and shared while seen
    // lately: a million places each their own still share most texts.
    TResultRow MakeShared(const orvanta::bulk::BulkRow& in, const std::string& organisationText);

    struct Slot {
        std::string key;
        QString text;
        std::optional<std::uint32_t> asn; // an organisation's
    };
    // The slot of `bytes` of a kind (`kind` keeps a region from passing for
    // a city of the same name); its text is null when newly taken.
    Slot& Seen(const std::string& bytes, char kind);
    QString Latin1(const std::string& bytes, char kind);

    std::string textKey_;
    std::vector<Slot> texts_ = std::vector<Slot>(8192);
    // The shared values made so far, by their place and organisation (or,
    // without a place, by their texts): a run of a million addresses in a
    // few thousand places makes a few thousand. Kept apart from the values,
    // small and together, the keys are found without touching them.
    static constexpr std::size_t kMadeCap = TSharedRows::kCapacity;
    struct Known {
        std::size_t hash = 0;
        std::uint32_t made = 0; // index in made_ + 1; 0: free
        // The place of a row without an organisation, known by it alone.
        std::uint32_t place = 0;
    };
    std::string key_;
    std::shared_ptr<TSharedRows> made_ = std::make_shared<TSharedRows>();
    std::vector<std::string> keys_; // made_'s keys, index for index
    std::vector<Known> index_ = std::vector<Known>(kMadeCap * 2);
};
