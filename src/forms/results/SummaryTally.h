// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Adds results rows to the summary per country and organisation, quickly:
// the rows of a big run share a few hundred country and organisation texts
// (the run shares them between its rows), so a text's line of the summary
// is found once per text, not once per row, and a row costs little more
// than its address.
//
//     TSummaryTally tally(summary);
//     for (int row = first; row <= last; ++row) tally.Add(list.Row(row));
//     tally.Add(rows);                         // a span of rows, faster
//     tally.Add(runRows, 0, runRows.size());   // a run's rows
#include "forms/results/ResultRow.h"
#include "forms/results/RunRows.h"
#include "resultfiles/ResultSummary.h"

#include <QString>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

class TSummaryTally {
public:
    explicit TSummaryTally(orvanta::resultfiles::ResultSummary& summary) : summary_(summary) {}

    void Add(const TResultRow& row);
    // As Add for each, faster: the summary's memory for all their addresses
    // is asked for before the first is added, and waited for side by side.
    void Add(std::span<const TResultRow* const> rows);
    // Rows [from, to) of a run's rows, read as the run made them.
    void Add(const TRunRows& rows, std::size_t from, std::size_t to);
    // The summary was emptied: the lines remembered are gone with it.
    void Clear();

private:
    using Line = orvanta::resultfiles::ResultSummary::Line;
    // A text seen lately and its line. The text is held, so that its
    // characters stay where they are and their address names it surely.
    struct Known {
        QString text;
        std::optional<std::uint32_t> asn;
        bool found = false;
        bool used = false;
        Line line = 0;
    };
    static Known& Slot(std::vector<Known>& known, const QString& text, std::uint32_t more);
    Line CountryOf(const TResultRow& row);
    Line OrganizationOf(const TResultRow& row);
    // The row's address as bytes in `bytes`.
    static void AddressOf(const TResultRow& row, std::string& bytes);

    orvanta::resultfiles::ResultSummary& summary_;
    std::vector<Known> countries_ = std::vector<Known>(512);
    std::vector<Known> organizations_ = std::vector<Known>(4096);
    std::string address_;
    std::vector<std::string> addresses_; // of a span of rows
    // The lines of a run's shared values, by their index in the store
    // last read: a run's rows name their place's values by index.
    static constexpr Line kNoLine = ~Line{0};
    const TSharedRows* linesOf_ = nullptr;
    std::vector<std::pair<Line, Line>> sharedLines_;
};
