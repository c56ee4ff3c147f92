#include "forms/RoutePlaces.h"

#include "forms/LocateTexts.h"
#include "geoip/TGeoIP.h"

#include <exception>

using orvanta::geoip::lrFound;
using orvanta::geoip::TGeoIP;
using orvanta::geoip::TGeoIPCity;

namespace {
QString Latin1(const std::string& bytes) {
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}
} // namespace

HopPlace PlaceOfHop(const QString& databaseFile, const QString& address) {
    HopPlace place;
    place.location = QString::fromLatin1(kCityNotPresent);
    try {
        TGeoIP reader(databaseFile.toStdString());
        TGeoIPCity record;
        if (reader.LookupCity(address.toStdString(), record) != lrFound)
            return place;
        place.location = Latin1(record.City) + QStringLiteral(", ") + Latin1(record.Region) +
                         QStringLiteral(", ") + Latin1(record.CountryName);
        place.latitude = record.Latitude;
        place.longitude = record.Longitude;
    } catch (const std::exception& error) {
        place.location = QString::fromUtf8(error.what());
    }
    return place;
}
