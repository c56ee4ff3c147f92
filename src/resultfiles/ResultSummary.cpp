// SPDX-License-Identifier: GPL-3.0-or-later
#include "resultfiles/ResultSummary.h"

#include <algorithm>
#include <limits>
#include <new>
#include <sys/mman.h>
#include <utility>

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

ResultSummary::Line ResultSummary::Table::Find(std::string_view key, std::string_view name) {
    const auto [at, made] = byKey.try_emplace(std::string(key), static_cast<Line>(lines.size()));
    if (made) {
        SummaryLine& line = lines.emplace_back();
        line.key = key;
        line.name = name.empty() ? std::string(kUnknownLine) : std::string(name);
    }
    return at->second;
}

ResultSummary::Line ResultSummary::CountryLine(std::string_view key, std::string_view name) {
    return countries_.Find(key, name);
}

ResultSummary::Line ResultSummary::OrganizationLine(std::string_view key) {
    return organizations_.Find(key, key);
}

ResultSummary::Slots::Slots(std::size_t count) : size_(count) {
    // In small pages, unlike the rest of a run's large tables: the table is
    // touched at random from the window's thread, and a large page cleared
    // on first touch would hold it up for milliseconds at a time.
    void* data = ::mmap(nullptr, count * sizeof(std::uint64_t), PROT_READ | PROT_WRITE,
                        MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (data == MAP_FAILED)
        throw std::bad_alloc();
    data_ = static_cast<std::uint64_t*>(data);
}

ResultSummary::Slots::~Slots() {
    if (data_)
        ::munmap(data_, size_ * sizeof(std::uint64_t));
}

ResultSummary::Slots& ResultSummary::Slots::operator=(Slots&& other) noexcept {
    std::swap(data_, other.data_);
    std::swap(size_, other.size_);
    return *this;
}

void ResultSummary::Keep(Seen&& seen) {
    if (seen_.empty() || seen_.back().size() == kSeenBlock) {
        seen_.emplace_back();
        // The first block grows as needed: most summaries are small.
        if (seen_.size() > 1)
            seen_.back().reserve(kSeenBlock);
    }
    seen_.back().push_back(std::move(seen));
    ++seenCount_;
}

void ResultSummary::Rehash(std::size_t count) {
    Slots slots(count);
    const std::size_t mask = count - 1;
    for (std::size_t i = 0; i < seenCount_; ++i) {
        const std::size_t hash = SeenAt(i).hash;
        std::size_t at = hash & mask;
        while (slots[at] != 0)
            at = (at + 1) & mask;
        slots[at] = SlotOf(i, hash);
    }
    slots_ = std::move(slots);
}

void ResultSummary::Reserve(std::size_t more) {
    std::size_t count = std::max<std::size_t>(1024, slots_.size());
    while (count < (seenCount_ + more) * 2)
        count *= 2;
    if (count != slots_.size())
        Rehash(count);
}

void ResultSummary::Prefetch(std::string_view address) const {
    if (slots_.size() != 0)
        __builtin_prefetch(&slots_[std::hash<std::string_view>{}(address) & (slots_.size() - 1)]);
}

std::pair<bool, bool> ResultSummary::FirstIn(std::string_view address, Line country,
                                             Line organization) {
    if ((seenCount_ + 1) * 2 > slots_.size())
        Reserve(1);
    const std::size_t mask = slots_.size() - 1;
    const std::size_t hash = std::hash<std::string_view>{}(address);
    const std::uint64_t high = hash & ~std::uint64_t{0xFFFFFFFF};
    std::size_t at = hash & mask;
    for (; slots_[at] != 0; at = (at + 1) & mask) {
        if ((slots_[at] & ~std::uint64_t{0xFFFFFFFF}) != high)
            continue;
        const Seen& seen = SeenAt((slots_[at] & 0xFFFFFFFF) - 1);
        if (seen.hash != hash || seen.address != address)
            continue;
        // Seen before: new only to a line it did not count in then.
        auto elsewhere = [&](char table, Line line) {
            std::string key(1, table);
            key.append(reinterpret_cast<const char*>(&line), sizeof line);
            key += address;
            return elsewhere_.insert(std::move(key)).second;
        };
        return {seen.country != country && elsewhere('c', country),
                seen.organization != organization && elsewhere('o', organization)};
    }
    Keep({std::string(address), hash, country, organization});
    slots_[at] = SlotOf(seenCount_ - 1, hash);
    return {true, true};
}

void ResultSummary::Add(std::string_view address, Line country, Line organization,
                        std::uint64_t occurrences, std::optional<std::uint64_t> bytes) {
    const auto [newCountry, newOrganization] = FirstIn(address, country, organization);
    for (auto [line, isNew] :
         {std::pair{&countries_.lines.at(country), newCountry},
          std::pair{&organizations_.lines.at(organization), newOrganization}}) {
        // The same address from two runs is one address seen more often.
        line->addresses += isNew ? 1 : 0;
        line->occurrences = Plus(line->occurrences, occurrences);
        if (bytes)
            line->bytes = Plus(line->bytes.value_or(0), *bytes);
    }
    total_ = Plus(total_, occurrences);
}

void ResultSummary::Add(const ResultRecord& row) {
    const Line country = CountryLine(CountryKey(row), row.found ? row.countryName : std::string());
    const Line organization = OrganizationLine(OrganisationKey(row));
    Add(row.address, country, organization, row.Occurrences(), row.bytes);
}

void ResultSummary::Clear() {
    *this = ResultSummary();
}

std::vector<SummaryLine> ResultSummary::Sorted(const Table& table) const {
    std::vector<SummaryLine> lines;
    lines.reserve(table.lines.size());
    for (const SummaryLine& line : table.lines)
        if (line.addresses > 0) // a line named but never added to is no line yet
            lines.push_back(line);
    for (SummaryLine& line : lines)
        line.share = total_ == 0 ? 0
                                 : 100.0 * static_cast<double>(line.occurrences) /
                                       static_cast<double>(total_);
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
