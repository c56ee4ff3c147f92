// SPDX-License-Identifier: GPL-3.0-or-later
#include "forms/results/SummaryTally.h"

#include <algorithm>
#include <cstdint>

TSummaryTally::Known& TSummaryTally::Slot(std::vector<Known>& known, const QString& text,
                                          std::uint32_t more) {
    const auto at = reinterpret_cast<std::uintptr_t>(text.constData());
    return known[((at >> 4) ^ (at >> 14) ^ more) % known.size()];
}

TSummaryTally::Line TSummaryTally::CountryOf(const TResultRow& row) {
    Known& known = Slot(countries_, row.countryCode, row.found ? 1 : 0);
    if (!known.used || known.found != row.found ||
        known.text.constData() != row.countryCode.constData() ||
        known.text.size() != row.countryCode.size()) {
        // A row the database does not know has no country, whatever it says.
        known.line = row.found ? summary_.CountryLine(row.countryCode.toStdString(),
                                                      row.countryName.toStdString())
                               : summary_.CountryLine({}, {});
        known.text = row.countryCode;
        known.found = row.found;
        known.used = true;
    }
    return known.line;
}

TSummaryTally::Line TSummaryTally::OrganizationOf(const TResultRow& row) {
    Known& known = Slot(organizations_, row.organization, row.asn.value_or(0));
    if (!known.used || known.asn != row.asn ||
        known.text.constData() != row.organization.constData() ||
        known.text.size() != row.organization.size()) {
        known.line = summary_.OrganizationLine(OrganisationText(row).toStdString());
        known.text = row.organization;
        known.asn = row.asn;
        known.used = true;
    }
    return known.line;
}

void TSummaryTally::AddressOf(const TResultRow& row, std::string& bytes) {
    // Addresses are ASCII: no UTF-8 conversion and no allocation per row.
    const auto size = static_cast<std::size_t>(row.address.size());
    const QChar* text = row.address.constData();
    bytes.resize(size);
    char16_t all = 0;
    for (std::size_t i = 0; i < size; ++i) {
        all |= text[i].unicode();
        bytes[i] = static_cast<char>(text[i].unicode());
    }
    if (all >= 0x80)
        bytes = row.address.toStdString();
}

void TSummaryTally::Add(std::span<const TResultRow* const> rows) {
    if (addresses_.size() < rows.size())
        addresses_.resize(rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        AddressOf(*rows[i], addresses_[i]);
        summary_.Prefetch(addresses_[i]);
    }
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const TResultRow& row = *rows[i];
        summary_.Add(addresses_[i], CountryOf(row), OrganizationOf(row), row.count.value_or(1),
                     row.bytes);
    }
}

void TSummaryTally::Add(const TResultRow& row) {
    AddressOf(row, address_);
    summary_.Add(address_, CountryOf(row), OrganizationOf(row), row.count.value_or(1), row.bytes);
}

void TSummaryTally::Add(const TRunRows& rows, std::size_t from, std::size_t to) {
    if (linesOf_ != rows.Shared()) {
        linesOf_ = rows.Shared();
        sharedLines_.clear();
    }
    constexpr std::size_t kAtOnce = 32;
    for (; from < to; from += kAtOnce) {
        const std::size_t n = std::min(kAtOnce, to - from);
        for (std::size_t i = 0; i < n; ++i)
            summary_.Prefetch(rows.Address(from + i));
        for (std::size_t i = from; i < from + n; ++i) {
            // The store grows while the run goes on (on the run's thread:
            // its size is not read here), its later values looked up as
            // they come.
            const std::uint32_t shared = rows.SharedIndex(i);
            if (shared >= sharedLines_.size())
                sharedLines_.resize(std::max<std::size_t>(shared + 1, 2 * sharedLines_.size()),
                                    {kNoLine, kNoLine});
            auto& [country, organization] = sharedLines_[shared];
            if (country == kNoLine) {
                country = CountryOf(rows.SharedOf(i));
                organization = OrganizationOf(rows.SharedOf(i));
            }
            summary_.Add(rows.Address(i), country, organization, rows.Count(i), rows.Bytes(i));
        }
    }
}

void TSummaryTally::Clear() {
    linesOf_ = nullptr;
    sharedLines_.clear();
    for (auto* known : {&countries_, &organizations_})
        for (Known& slot : *known)
            slot = Known();
}
