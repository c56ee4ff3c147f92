// SPDX-License-Identifier: GPL-3.0-or-later
#include "resultfiles/ResultSummary.h"

#include <algorithm>
#include <limits>

namespace orvanta::resultfiles {
namespace {

// Counts cannot wrap around: a sum past 2^64 stays at the largest value.
std::uint64_t Plus(std::uint64_t a, std::uint64_t b) {
    return b > std::numeric_limits<std::uint64_t>::max() - a
               ? std::numeric_limits<std::uint64_t>::max()
               : a + b;
}

} // namespace

std::string CountryKey(const ResultRecord& row) {
    // A row the database does not know has no country, whatever it says.
    return row.found ? row.countryCode : std::string();
}

std::string OrganisationKey(const ResultRecord& row) {
    return OrganisationText(row);
}

void ResultSummary::AddTo(Groups& groups, const std::string& key, const std::string& name,
                          const ResultRecord& row) {
    Group& group = groups[key];
    if (group.line.name.empty()) {
        group.line.key = key;
        group.line.name = name.empty() ? kUnknownLine : name;
    }
    // The same address from two runs is one address seen more often.
    if (group.addresses.insert(row.address).second)
        ++group.line.addresses;
    group.line.occurrences = Plus(group.line.occurrences, row.Occurrences());
    if (row.bytes)
        group.line.bytes = Plus(group.line.bytes.value_or(0), *row.bytes);
}

void ResultSummary::Add(const ResultRecord& row) {
    AddTo(countries_, CountryKey(row), row.found ? row.countryName : std::string(), row);
    const std::string organisation = OrganisationKey(row);
    AddTo(organizations_, organisation, organisation, row);
    total_ = Plus(total_, row.Occurrences());
}

void ResultSummary::Clear() {
    countries_.clear();
    organizations_.clear();
    total_ = 0;
}

std::vector<SummaryLine> ResultSummary::Sorted(const Groups& groups) const {
    std::vector<SummaryLine> lines;
    lines.reserve(groups.size());
    for (const auto& [key, group] : groups) {
        lines.push_back(group.line);
        lines.back().share = total_ == 0 ? 0
                                         : 100.0 * static_cast<double>(group.line.occurrences) /
                                               static_cast<double>(total_);
    }
    // Ties in a fixed order, so a table does not reshuffle as rows arrive.
    std::sort(lines.begin(), lines.end(), [](const SummaryLine& a, const SummaryLine& b) {
        if (a.occurrences != b.occurrences)
            return a.occurrences > b.occurrences;
        if (a.addresses != b.addresses)
            return a.addresses > b.addresses;
        return a.name != b.name ? a.name < b.name : a.key < b.key;
    });
    return lines;
}

std::vector<SummaryLine> ResultSummary::Countries() const {
    return Sorted(countries_);
}

std::vector<SummaryLine> ResultSummary::Organizations() const {
    return Sorted(organizations_);
}

} // namespace orvanta::resultfiles
