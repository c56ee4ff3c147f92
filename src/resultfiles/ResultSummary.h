// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The answer to "which countries, which networks, how much from each":
// the rows added up per country and per organisation, as they arrive.
// Each line counts the distinct addresses, the occurrences (the sum of the
// rows' counts, 1 for a row of its own), the bytes where captures gave
// them, and its share of all occurrences in per cent. Lines come sorted by
// occurrences, largest first.
//
//     ResultSummary summary;
//     for (const ResultRecord& row : batch) summary.Add(row);
//     for (const SummaryLine& line : summary.Countries()) show(line);
#include "resultfiles/ResultRecord.h"

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace orvanta::resultfiles {

struct SummaryLine {
    // The country code or the organisation text; empty for rows without one.
    std::string key;
    std::string name; // what the line shows: the country's name, the organisation
    std::uint64_t addresses = 0;
    std::uint64_t occurrences = 0;
    std::optional<std::uint64_t> bytes; // absent when no row of the line had bytes
    double share = 0;                   // per cent of all occurrences
    bool operator==(const SummaryLine&) const = default;
};

// The key of the line a row counts in: the country code, empty when the
// database does not know the address; the organisation text.
std::string CountryKey(const ResultRecord& row);
std::string OrganisationKey(const ResultRecord& row);

// The name of a line whose rows are not located, or have no organisation.
inline constexpr const char* kUnknownLine = "Unknown";

class ResultSummary {
public:
    void Add(const ResultRecord& row);
    void Clear();

    std::vector<SummaryLine> Countries() const;
    std::vector<SummaryLine> Organizations() const;
    std::uint64_t TotalOccurrences() const { return total_; }

private:
    struct Group {
        SummaryLine line;
        std::unordered_set<std::string> addresses;
    };
    using Groups = std::unordered_map<std::string, Group>;
    static void AddTo(Groups& groups, const std::string& key, const std::string& name,
                      const ResultRecord& row);
    std::vector<SummaryLine> Sorted(const Groups& groups) const;

    Groups countries_;
    Groups organizations_;
    std::uint64_t total_ = 0;
};

} // namespace orvanta::resultfiles
