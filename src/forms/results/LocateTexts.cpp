// SPDX-License-Identifier: GPL-3.0-or-later
#include "forms/results/LocateTexts.h"

#include "forms/results/CoordinateText.h"
#include "geoip/TGeoIP.h"
#include "geoip/TGeoIPv6.h"
#include "validation/Ipv6AddressText.h"

#include <optional>
#include <string>

using orvanta::geoip::lrFound;
using orvanta::geoip::TGeoIP;
using orvanta::geoip::TGeoIPCity;
using orvanta::geoip::TGeoIPv6;

namespace {
// One lookup with a reader of its own; the reader closes the file when it
// goes out of scope, also when the lookup throws.
template <class Reader>
std::optional<TGeoIPCity> LookupWith(const QString& databaseFile, const std::string& address) {
    Reader reader(databaseFile.toStdString());
    TGeoIPCity record;
    if (reader.LookupCity(address, record) != lrFound)
        return std::nullopt;
    return record;
}

// The dotted IPv4 text of an IPv4-mapped IPv6 address (::ffff:a.b.c.d).
// Those name IPv4 hosts, whose places only the IPv4 file holds.
std::optional<std::string> MappedIpv4Text(const TIpv6Bytes& bytes) {
    for (std::size_t i = 0; i < 10; ++i)
        if (bytes[i] != 0)
            return std::nullopt;
    if (bytes[10] != 0xFF || bytes[11] != 0xFF)
        return std::nullopt;
    return std::to_string(bytes[12]) + '.' + std::to_string(bytes[13]) + '.' +
           std::to_string(bytes[14]) + '.' + std::to_string(bytes[15]);
}

std::optional<TGeoIPCity> Lookup(const QString& databaseFile, const QString& address) {
    const std::string text = address.toStdString();
    const std::optional<TIpv6Bytes> ipv6 = ParseIpv6AddressText(text);
    if (!ipv6)
        return LookupWith<TGeoIP>(databaseFile, text);
    if (const std::optional<std::string> ipv4 = MappedIpv4Text(*ipv6))
        return LookupWith<TGeoIP>(databaseFile, *ipv4);
    return LookupWith<TGeoIPv6>(databaseFile, text);
}

bool IsIpv6DatabaseAddress(const std::string& text) {
    const std::optional<TIpv6Bytes> ipv6 = ParseIpv6AddressText(text);
    return ipv6 && !MappedIpv4Text(*ipv6);
}

QString Latin1(const std::string& bytes) {
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}
} // namespace

QString DatabaseFileFor(const QString& address) {
    return QString::fromLatin1(IsIpv6DatabaseAddress(address.toStdString()) ? kIpv6DatabaseFile
                                                                            : kIpv4DatabaseFile);
}

TResultRow LocateRowOf(const QString& databaseFile, const QString& address) {
    const std::optional<TGeoIPCity> r = Lookup(databaseFile, address);
    return LocatedRow(address, r ? &*r : nullptr, QString());
}

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
