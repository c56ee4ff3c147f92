// SPDX-License-Identifier: GPL-3.0-or-later
#include "forms/results/SummaryTally.h"

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

void TSummaryTally::Add(const TResultRow& row) {
    // Addresses are ASCII: no UTF-8 conversion and no allocation per row.
    address_.clear();
    bool ascii = true;
    for (const QChar c : row.address) {
        ascii = ascii && c.unicode() < 0x80;
        address_ += static_cast<char>(c.unicode());
    }
    if (!ascii)
        address_ = row.address.toStdString();
    summary_.Add(address_, CountryOf(row), OrganizationOf(row), row.count.value_or(1), row.bytes);
}

void TSummaryTally::Clear() {
    for (auto* known : {&countries_, &organizations_})
        for (Known& slot : *known)
            slot = Known();
}
