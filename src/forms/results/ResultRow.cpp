// SPDX-License-Identifier: GPL-3.0-or-later
#include "forms/results/ResultRow.h"

#include "forms/results/CoordinateText.h"
#include "forms/results/LocateTexts.h"
#include "geoip/IanaBlocks.h"
#include "geoip/TGeoIPCity.h"

namespace {
const QString kUnresolved = QStringLiteral("Unresolved Host");

QString Latin1(const std::string& bytes) {
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}
} // namespace

TResultRow LocatedRow(const QString& address, const orvanta::geoip::TGeoIPCity* record,
                      const QString& organisationText) {
    TResultRow row;
    row.address = address;
    SetOrganisationText(row, organisationText);
    if (record == nullptr)
        return row;
    row.found = true;
    row.countryCode = Latin1(record->CountryCode);
    row.countryName = Latin1(record->CountryName);
    row.region = Latin1(record->Region);
    row.city = Latin1(record->City);
    row.latitude = record->Latitude;
    row.longitude = record->Longitude;
    return row;
}

void SetOrganisationText(TResultRow& row, const QString& text) {
    row.asn.reset();
    row.organization = text;
    if (!text.startsWith(QLatin1String("AS")))
        return;
    qsizetype end = 2;
    while (end < text.size() && text[end].isDigit() && text[end].unicode() < 128)
        ++end;
    const qsizetype digits = end - 2;
    // A leading zero or a number past 32 bits would not come back the same.
    if (digits == 0 || digits > 10 || (digits > 1 && text[2] == QLatin1Char('0')))
        return;
    // "AS1 Name" or "AS1"; "AS1 " would lose its space.
    if (end < text.size() && (text[end] != QLatin1Char(' ') || end + 1 == text.size()))
        return;
    bool ok = false;
    const qulonglong number = QStringView(text).mid(2, digits).toULongLong(&ok);
    if (!ok || number > 0xFFFFFFFFull)
        return;
    row.asn = static_cast<std::uint32_t>(number);
    row.organization = end < text.size() ? text.mid(end + 1) : QString();
}

QString OrganisationOrBlock(const QString& address, const QString& organisationText) {
    if (!organisationText.isEmpty())
        return organisationText;
    const auto block = orvanta::geoip::SpecialPurposeOf(address.toStdString());
    return block ? QString::fromUtf8(block->data(), static_cast<qsizetype>(block->size()))
                 : QString();
}

QString OrganisationText(const TResultRow& row) {
    if (!row.asn)
        return row.organization;
    QString text = QStringLiteral("AS") + QString::number(*row.asn);
    if (!row.organization.isEmpty())
        text += QLatin1Char(' ') + row.organization;
    return text;
}

QString LocationLine(const TResultRow& row) {
    if (!row.found)
        return QString::fromLatin1(kCityNotPresent);
    return row.city + QStringLiteral(", ") + row.region + QStringLiteral(", ") + row.countryName;
}

QString HostNameText(const TResultRow& row) {
    // A name nobody asked for yet (a pasted row, private mode) says so, also
    // when its texts are made again from the values (a reopened file).
    if (!row.hostName)
        return QString::fromLatin1(kNotLookedUp);
    return row.hostName->isEmpty() ? kUnresolved : *row.hostName;
}

std::optional<QString> HostNameFromText(const QString& text) {
    if (text.isEmpty() || text == QLatin1String(kNotLookedUp))
        return std::nullopt;
    return text == kUnresolved ? QString() : text;
}

TListItem ResultTexts(const TResultRow& row, QChar decimalSeparator) {
    TListItem item;
    item.Caption = LocationLine(row);
    const QString none = QString::fromLatin1(kCityNotPresent);
    item.SubItems << row.address
                  << (row.latitude ? CoordinateText(*row.latitude, decimalSeparator) : none)
                  << (row.longitude ? CoordinateText(*row.longitude, decimalSeparator) : none)
                  << HostNameText(row) << OrganisationText(row);
    if (row.count || row.bytes)
        item.SubItems << (row.count ? QString::number(*row.count) : QString());
    if (row.bytes)
        item.SubItems << QString::number(*row.bytes);
    return item;
}
