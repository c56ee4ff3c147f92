#include "forms/LocateTexts.h"

#include "forms/CoordinateText.h"
#include "geoip/TGeoIP.h"

#include <optional>

using orvanta::geoip::lrFound;
using orvanta::geoip::TGeoIP;
using orvanta::geoip::TGeoIPCity;

namespace {
// One lookup with a reader of its own; the reader closes the file when it
// goes out of scope, also when the lookup throws.
std::optional<TGeoIPCity> Lookup(const QString& databaseFile, const QString& address) {
    TGeoIP reader(databaseFile.toStdString());
    TGeoIPCity record;
    if (reader.LookupCity(address.toStdString(), record) != lrFound)
        return std::nullopt;
    return record;
}

QString Latin1(const std::string& bytes) {
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}
} // namespace

QString LocationTextOf(const QString& databaseFile, const QString& address) {
    const std::optional<TGeoIPCity> r = Lookup(databaseFile, address);
    if (!r)
        return QString::fromLatin1(kCityNotPresent);
    return Latin1(r->City) + QStringLiteral(", ") + Latin1(r->Region) + QStringLiteral(", ") +
           Latin1(r->CountryName);
}

QString LatitudeTextOf(const QString& databaseFile, const QString& address, QChar separator) {
    const std::optional<TGeoIPCity> r = Lookup(databaseFile, address);
    return r ? CoordinateText(r->Latitude, separator) : QString::fromLatin1(kCityNotPresent);
}

QString LongitudeTextOf(const QString& databaseFile, const QString& address, QChar separator) {
    const std::optional<TGeoIPCity> r = Lookup(databaseFile, address);
    return r ? CoordinateText(r->Longitude, separator) : QString::fromLatin1(kCityNotPresent);
}
