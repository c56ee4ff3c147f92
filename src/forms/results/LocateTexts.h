// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The three database texts of the locate command. Each call opens its own
// reader for the database file, looks the address up once and closes the
// file again on every path; nothing is cached. A missing or unreadable file
// raises the reader's open error; any lookup result but "found" gives
// "ERROR City not present". Record texts are decoded from Latin-1.
// An IPv6 address text is looked up with the IPv6 reader, so `databaseFile`
// must be the file for the address's family (DatabaseFileFor).
#include "forms/results/ResultRow.h"

#include <QChar>
#include <QString>

inline constexpr const char* kCityNotPresent = "ERROR City not present";
// Looked for in the current directory, at every lookup.
inline constexpr const char* kIpv4DatabaseFile = "GeoLiteCity.dat";
inline constexpr const char* kIpv6DatabaseFile = "GeoLiteCityv6.dat";

// The database file that holds `address`: the IPv6 file for an IPv6 text,
// else the IPv4 file. An IPv4-mapped IPv6 text (::ffff:a.b.c.d) is looked
// up as its IPv4 address, in the IPv4 file.
QString DatabaseFileFor(const QString& address);

// The row of `address` with what the city database says (no organisation,
// no host name): one lookup, the same errors as the texts below.
TResultRow LocateRowOf(const QString& databaseFile, const QString& address);

// "City, Region, CountryName".
QString LocationTextOf(const QString& databaseFile, const QString& address);
QString LatitudeTextOf(const QString& databaseFile, const QString& address, QChar separator);
QString LongitudeTextOf(const QString& databaseFile, const QString& address, QChar separator);
