#pragma once
// The three database texts of the locate command. Each call opens its own
// reader for the database file, looks the address up once and closes the
// file again on every path; nothing is cached. A missing or unreadable file
// raises the reader's open error; any lookup result but "found" gives
// "ERROR City not present". Record texts are decoded from Latin-1.
#include <QChar>
#include <QString>

inline constexpr const char* kCityNotPresent = "ERROR City not present";

// "City, Region, CountryName".
QString LocationTextOf(const QString& databaseFile, const QString& address);
QString LatitudeTextOf(const QString& databaseFile, const QString& address, QChar separator);
QString LongitudeTextOf(const QString& databaseFile, const QString& address, QChar separator);
