// SPDX-License-Identifier: GPL-3.0-or-later
#include "forms/work/RoutePlaces.h"

#include "forms/results/LocateTexts.h"
#include "geoip/TGeoIP.h"
#include "geoip/TGeoIPv6.h"

#include <QFileInfo>
#include <exception>

using orvanta::geoip::lrFound;
using orvanta::geoip::TGeoIP;
using orvanta::geoip::TGeoIPCity;
using orvanta::geoip::TGeoIPv6;

namespace {
QString Latin1(const std::string& bytes) {
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

bool Find(const QString& databaseFile, const QString& address, TGeoIPCity& record) {
    if (!address.contains(QLatin1Char(':'))) {
        TGeoIP reader(databaseFile.toStdString());
        return reader.LookupCity(address.toStdString(), record) == lrFound;
    }
    TGeoIPv6 reader(IPv6DatabaseBeside(databaseFile).toStdString());
    return reader.LookupCity(address.toStdString(), record) == lrFound;
}
} // namespace

HopPlace PlaceOfHop(const QString& databaseFile, const QString& address) {
    HopPlace place;
    place.location = QString::fromLatin1(kCityNotPresent);
    place.row = LocatedRow(address, nullptr, QString());
    try {
        TGeoIPCity record;
        if (!Find(databaseFile, address, record))
            return place;
        place.location = Latin1(record.City) + QStringLiteral(", ") + Latin1(record.Region) +
                         QStringLiteral(", ") + Latin1(record.CountryName);
        place.latitude = record.Latitude;
        place.longitude = record.Longitude;
        place.row = LocatedRow(address, &record, QString());
    } catch (const std::exception& error) {
        place.location = QString::fromUtf8(error.what());
    }
    return place;
}

QString IPv6DatabaseBeside(const QString& databaseFile) {
    const QFileInfo file(databaseFile);
    const QString name = file.completeBaseName() + QStringLiteral("v6.") + file.suffix();
    return file.path() == QLatin1String(".") && !databaseFile.startsWith(QLatin1String("./"))
               ? name
               : file.path() + QLatin1Char('/') + name;
}
