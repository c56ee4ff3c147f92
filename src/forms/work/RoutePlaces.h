// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Where a hop is, from the location database the locate command reads (for
// an IPv6 hop its IPv6 sibling, "GeoLiteCityv6.dat" beside it): the same
// location line ("City, Region, CountryName", or "ERROR City not
// present") and, when found, the coordinates for the map. Each call opens
// its own reader, as the locate command does.
#include "forms/results/ResultRow.h"

#include <QString>
#include <optional>

struct HopPlace {
    QString location;
    std::optional<double> latitude;
    std::optional<double> longitude;
    TResultRow row; // the hop's address and what the database says of it
};

// An address the database cannot answer (another family, a file that will
// not open) gives the not-present line, or the reader's message, and no
// coordinates: a route is never ended by one hop's place.
HopPlace PlaceOfHop(const QString& databaseFile, const QString& address);

// "GeoLiteCity.dat" -> "GeoLiteCityv6.dat", in the same folder.
QString IPv6DatabaseBeside(const QString& databaseFile);
