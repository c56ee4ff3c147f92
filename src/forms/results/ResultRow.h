// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TResultRow: what one results row says, as values rather than display
// texts: a single locate, a row of a many-address run, a route hop, a
// capture's endpoint. Whatever reads rows (summaries, result files, map
// layers) reads these; the list's column texts are derived from them
// (ResultTexts), so the two never disagree.
//
//     TResultRow row = LocatedRow(address, record, organisationText);
//     row.count = 12;                   // a run's occurrences
//     list->AddRows({row});             // texts derived by the list
//     const TResultRow& back = list->Row(0);
//
// TListItem is a row's display texts: caption (column 1), sub-items
// (columns 2 onwards) and the icon index.
#include <QChar>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>

namespace orvanta::geoip {
struct TGeoIPCity;
}

struct TListItem {
    QString Caption;
    QStringList SubItems;
    int ImageIndex = 0;
};

struct TResultRow {
    QString address;
    bool found = false; // the city database knows the address
    QString countryCode;
    QString countryName;
    QString region;
    QString city;
    // Absent when the address is not located.
    std::optional<double> latitude;
    std::optional<double> longitude;
    // Absent: not asked (yet). Empty: asked, and no name came.
    std::optional<QString> hostName;
    std::optional<std::uint32_t> asn;
    QString organization; // the organisation's name, without the AS number
    // Occurrences; absent for a row of its own (a single locate counts 1).
    std::optional<std::uint64_t> count;
    // Bytes seen, only where a capture gave them.
    std::optional<std::uint64_t> bytes;
};

// The row for `address` with what the city record and the organisation
// files say; `record` null when the address is not located.
TResultRow LocatedRow(const QString& address, const orvanta::geoip::TGeoIPCity* record,
                      const QString& organisationText);

// The organisation files' record text ("AS15169 Google LLC") split into AS
// number and name, and put together again exactly as it was read. A text
// that does not start with a plain AS number is all name.
void SetOrganisationText(TResultRow& row, const QString& text);
QString OrganisationText(const TResultRow& row);

// The organisation text of `address` for its row: the organisation files'
// record where they have one, else the name of the special-purpose block
// the address lies in ("Private-Use", "Loopback"), else empty.
QString OrganisationOrBlock(const QString& address, const QString& organisationText);

// The host name column of a row whose name is not asked: the user did not
// ask for it, or private mode keeps it in.
inline constexpr const char* kNotLookedUp = "Not looked up";

// "City, Region, CountryName", or "ERROR City not present".
QString LocationLine(const TResultRow& row);
// The host name column: the name, "Unresolved Host" when none came, "Not
// looked up" while not asked.
QString HostNameText(const TResultRow& row);
// Takes a host name column text back (the reverse of HostNameText);
// "Not looked up" is no name either.
std::optional<QString> HostNameFromText(const QString& text);

// The results list's texts of a row: location line; address, latitude,
// longitude, host name, organisation, and the count and the bytes where the
// row has them.
TListItem ResultTexts(const TResultRow& row, QChar decimalSeparator);
