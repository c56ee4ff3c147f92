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
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
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
    // A line of the Countries or the Organizations table, for adding many
    // rows of the same line without naming it anew each time.
    using Line = std::uint32_t;

    void Add(const ResultRecord& row);
    // As Add, for a row whose lines were named before: its address, the
    // lines it counts in and its weight (ResultRecord::Occurrences).
    void Add(std::string_view address, Line country, Line organization, std::uint64_t occurrences,
             std::optional<std::uint64_t> bytes);
    // The line of a country code (CountryKey) and its name, and of an
    // organisation (OrganisationKey); made on first use.
    Line CountryLine(std::string_view key, std::string_view name);
    Line OrganizationLine(std::string_view key);
    void Clear();
    // Room for `more` distinct addresses beyond those seen: a run's rows
    // then never wait for the table of addresses to grow.
    void Reserve(std::size_t more);
    // Fetches the memory that an Add of `address` will look at: asked for
    // rows ahead of their Adds, a million new addresses wait for memory
    // side by side rather than one after the other.
    void Prefetch(std::string_view address) const;

    std::vector<SummaryLine> Countries() const;
    std::vector<SummaryLine> Organizations() const;
    std::uint64_t TotalOccurrences() const { return total_; }

private:
    struct Table {
        std::vector<SummaryLine> lines;
        std::unordered_map<std::string, Line> byKey;
        Line Find(std::string_view key, std::string_view name);
    };
    // Whether `address` counts in these lines for the first time.
    std::pair<bool, bool> FirstIn(std::string_view address, Line country, Line organization);
    void Rehash(std::size_t slots);
    std::vector<SummaryLine> Sorted(const Table& table) const;

    Table countries_;
    Table organizations_;
    // Every distinct address once, with the lines it first counted in: one
    // entry for the whole summary rather than one per line and table, as a
    // million addresses of a big log would otherwise cost twice over.
    struct Seen {
        std::string address;
        std::size_t hash; // of the address, kept for growing the table
        Line country;
        Line organization;
    };
    // Kept in blocks of a fixed size: growing never moves what is kept. In
    // small pages, as the table below: both grow on the window's thread,
    // where a large page cleared on first touch would hold it up.
    static constexpr std::size_t kSeenBlock = std::size_t{1} << 16;
    using SeenBlock = std::vector<Seen>;
    std::vector<SeenBlock> seen_;
    std::size_t seenCount_ = 0;
    const Seen& SeenAt(std::size_t at) const { return seen_[at / kSeenBlock][at % kSeenBlock]; }
    void Keep(Seen&& seen);
    // Open addressing over the kept addresses: an entry's index + 1 in the
    // low half, the high half of its hash in the high half (so that a probe
    // rarely visits an entry that is not the one), 0 when free; at most
    // half taken. Mapped straight from the system, whose pages are zeroed
    // as they are first touched: a table made room for a million addresses
    // at once costs nothing until they come.
    class Slots {
    public:
        Slots() = default;
        explicit Slots(std::size_t count);
        ~Slots();
        Slots(Slots&& other) noexcept { *this = std::move(other); }
        Slots& operator=(Slots&& other) noexcept;
        std::uint64_t& operator[](std::size_t at) const { return data_[at]; }
        std::size_t size() const { return size_; }

    private:
        std::uint64_t* data_ = nullptr;
        std::size_t size_ = 0;
    };
    static std::uint64_t SlotOf(std::size_t index, std::size_t hash) {
        return (static_cast<std::uint64_t>(hash) & ~std::uint64_t{0xFFFFFFFF}) | (index + 1);
    }
    Slots slots_;
    // An address seen again in another line (the database changed between
    // runs): the table's kind, the line and the address.
    std::unordered_set<std::string> elsewhere_;
    std::uint64_t total_ = 0;
};

} // namespace orvanta::resultfiles
