// SPDX-License-Identifier: GPL-3.0-or-later
// The proof at scale: random IPv4 addresses looked up through the program's
// reader in a converted database and through libmaxminddb in its MMDB
// source. Country (after the table mapping), region, city and postal code
// (after the Latin-1 conversion and the fit steps the build reported),
// coordinates to 4 decimals and "not found" must agree for every address.
//
// orvanta-import-proof --mmdb SRC --db DAT [--count N] [--seed S] [--edition 2|6|30|31]
//     [--region-codes FILE] [--no-postal] [--drop-uncoded] [--city-length N]
// The fit options repeat the steps the build summary lists. With edition 30
// or 31 the addresses are IPv6 ones drawn by a random walk down the source's
// tree, looked up with the IPv6 reader.

#include "SourceWalk.h"
#include "geoip/GeoIPCountries.h"
#include "geoip/TGeoIP.h"
#include "geoip/TGeoIPv6.h"
#include "geoipwriter/CountryMapping.h"
#include "geoipwriter/TextConversion.h"
#include "mmdbimport/RegionCodes.h"

#include <arpa/inet.h>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <maxminddb.h>
#include <memory>
#include <optional>
#include <random>
#include <string>

namespace {

using orvanta::geoip::TGeoIP;
using orvanta::geoip::TGeoIPCity;

struct Options {
    std::string mmdb, db, regionCodes;
    std::size_t count = 100000;
    std::uint32_t seed = 1;
    int edition = 6;
    bool noPostal = false;
    bool dropUncoded = false;
    std::optional<std::size_t> cityLength;
};

struct Expected {
    std::string country, region, city, postal;
    double latitude = 0, longitude = 0;
    int dma = 0;
};

std::string Text(MMDB_entry_s entry, const char* const* path) {
    MMDB_entry_data_s data{};
    if (MMDB_aget_value(&entry, &data, path) != MMDB_SUCCESS || !data.has_data ||
        data.type != MMDB_DATA_TYPE_UTF8_STRING)
        return {};
    return std::string(data.utf8_string, data.data_size);
}

double Number(MMDB_entry_s entry, const char* const* path) {
    MMDB_entry_data_s data{};
    if (MMDB_aget_value(&entry, &data, path) != MMDB_SUCCESS || !data.has_data)
        return 0;
    if (data.type == MMDB_DATA_TYPE_FLOAT)
        return data.float_value;
    if (data.type == MMDB_DATA_TYPE_DOUBLE)
        return data.double_value;
    if (data.type == MMDB_DATA_TYPE_UINT16)
        return data.uint16;
    return 0;
}

// The record the build must have stored for a source record.
Expected Expect(MMDB_entry_s entry, const Options& o, const orvanta::mmdbimport::RegionCodes* rc) {
    static const char* const flatCountry[] = {"country_code", nullptr};
    static const char* const nestedCountry[] = {"country", "iso_code", nullptr};
    const bool flat = [&] {
        MMDB_entry_data_s data{};
        return MMDB_aget_value(&entry, &data, flatCountry) == MMDB_SUCCESS && data.has_data;
    }();
    static const char* const f[][3] = {{"state1"},   {"city"},      {"postcode"},
                                       {"latitude"}, {"longitude"}, {nullptr}};
    static const char* const n[][5] = {
        {"subdivisions", "0", "iso_code"}, {"city", "names", "en"},   {"postal", "code"},
        {"location", "latitude"},          {"location", "longitude"}, {"location", "metro_code"}};
    auto path = [&](int i) -> const char* const* { return flat ? f[i] : n[i]; };
    const std::string code = Text(entry, flat ? flatCountry : nestedCountry);
    Expected e;
    std::string upper = code;
    for (char& c : upper)
        c = char(std::toupper(static_cast<unsigned char>(c)));
    const auto mapping = orvanta::geoip::MapCountryCode(upper);
    e.country = orvanta::geoip::CountryCodes[upper.empty() ? 0 : mapping.index];
    e.region = orvanta::geoip::Utf8ToLatin1(Text(entry, path(0)));
    e.city = orvanta::geoip::Utf8ToLatin1(Text(entry, path(1)));
    e.postal = orvanta::geoip::Utf8ToLatin1(Text(entry, path(2)));
    e.latitude = orvanta::geoip::RoundCoordinate(Number(entry, path(3)));
    e.longitude = orvanta::geoip::RoundCoordinate(Number(entry, path(4)));
    const bool thirdNumber = o.edition == 2 || o.edition == 30;
    if (!flat && thirdNumber && e.country == "US")
        e.dma = int(Number(entry, path(5)));
    if (rc != nullptr && !e.region.empty())
        if (auto c = rc->CodeFor(upper, e.region))
            e.region = *c;
    if (o.noPostal)
        e.postal.clear();
    if (o.dropUncoded && !e.region.empty() && (rc == nullptr || !rc->IsCode(upper, e.region)))
        e.region.clear();
    if (o.cityLength && e.city.size() > *o.cityLength)
        e.city.resize(*o.cityLength);
    // The 50-byte window: postal code, then region, then city lose bytes.
    const std::size_t size = 10 + e.region.size() + e.city.size() + e.postal.size() +
                             (thirdNumber && e.country == "US" ? 3 : 0);
    std::size_t excess = size > 50 ? size - 50 : 0;
    for (std::string* t : {&e.postal, &e.region, &e.city}) {
        const std::size_t cut = std::min(excess, t->size());
        t->resize(t->size() - cut);
        excess -= cut;
    }
    return e;
}

std::string Fixed4(double v) {
    char text[64];
    std::snprintf(text, sizeof text, "%.4f", v);
    return text;
}

std::string Differences(const Expected& e, const TGeoIPCity& c) {
    std::string d;
    auto field = [&](const char* name, const std::string& want, const std::string& got) {
        if (want != got)
            d += std::string(" ") + name + ": want \"" + want + "\" got \"" + got + "\"";
    };
    field("country", e.country, c.CountryCode);
    field("region", e.region, c.Region);
    field("city", e.city, c.City);
    field("postal", e.postal, c.PostalCode);
    field("latitude", Fixed4(e.latitude), Fixed4(c.Latitude));
    field("longitude", Fixed4(e.longitude), Fixed4(c.Longitude));
    field("dma", std::to_string(e.dma), std::to_string(c.DmaCode));
    return d;
}

bool Parse(int argc, char** argv, Options& o) {
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto value = [&]() -> std::string { return i + 1 < argc ? argv[++i] : ""; };
        if (a == "--mmdb")
            o.mmdb = value();
        else if (a == "--db")
            o.db = value();
        else if (a == "--count")
            o.count = std::stoul(value());
        else if (a == "--seed")
            o.seed = std::uint32_t(std::stoul(value()));
        else if (a == "--edition")
            o.edition = std::stoi(value());
        else if (a == "--region-codes")
            o.regionCodes = value();
        else if (a == "--no-postal")
            o.noPostal = true;
        else if (a == "--drop-uncoded")
            o.dropUncoded = true;
        else if (a == "--city-length")
            o.cityLength = std::stoul(value());
        else
            return false;
    }
    return !o.mmdb.empty() && !o.db.empty();
}

} // namespace

int main(int argc, char** argv) {
    Options o;
    try {
        if (!Parse(argc, argv, o)) {
            std::fprintf(stderr, "usage: orvanta-import-proof --mmdb SRC --db DAT [--count N] "
                                 "[--seed S] [--edition 2|6|30|31] [--region-codes FILE] "
                                 "[--no-postal] [--drop-uncoded] [--city-length N]\n");
            return 2;
        }
    } catch (const std::exception&) {
        std::fprintf(stderr, "orvanta-import-proof: bad number\n");
        return 2;
    }
    std::unique_ptr<orvanta::mmdbimport::RegionCodes> regions;
    if (!o.regionCodes.empty())
        regions = std::make_unique<orvanta::mmdbimport::RegionCodes>(
            orvanta::mmdbimport::RegionCodes::FromFile(o.regionCodes));
    MMDB_s mmdb;
    if (const int s = MMDB_open(o.mmdb.c_str(), MMDB_MODE_MMAP, &mmdb); s != MMDB_SUCCESS) {
        std::fprintf(stderr, "orvanta-import-proof: %s: %s\n", o.mmdb.c_str(), MMDB_strerror(s));
        return 1;
    }
    std::mt19937 random(o.seed);
    std::uniform_int_distribution<std::uint32_t> any(1, 0xFFFFFFFEu);
    const bool ipv6 = o.edition == 30 || o.edition == 31;
    std::size_t agree = 0, found = 0, shown = 0;
    for (std::size_t i = 0; i < o.count; ++i) {
        std::string text;
        if (ipv6) {
            const std::array<std::uint8_t, 16> bytes =
                orvanta::scale::RandomWalkAddress(mmdb, random);
            char buffer[INET6_ADDRSTRLEN] = {};
            inet_ntop(AF_INET6, bytes.data(), buffer, sizeof buffer);
            text = buffer;
        } else {
            in_addr address{htonl(any(random))};
            text = inet_ntoa(address);
        }
        int gai = 0, error = 0;
        MMDB_lookup_result_s source = MMDB_lookup_string(&mmdb, text.c_str(), &gai, &error);
        TGeoIPCity city;
        const auto result = ipv6 ? orvanta::geoip::TGeoIPv6(o.db).LookupCity(text, city)
                                 : TGeoIP(o.db).LookupCity(text, city);
        std::string why;
        if (error != MMDB_SUCCESS) {
            why = std::string(" libmaxminddb: ") + MMDB_strerror(error);
        } else if (!source.found_entry) {
            if (result != orvanta::geoip::lrNotFound)
                why = " source has no record, reader answered " + std::to_string(int(result));
        } else {
            ++found;
            if (result != orvanta::geoip::lrFound)
                why = " source has a record, reader answered " + std::to_string(int(result));
            else
                why = Differences(Expect(source.entry, o, regions.get()), city);
        }
        if (why.empty())
            ++agree;
        else if (shown++ < 20)
            std::printf("mismatch %s:%s\n", text.c_str(), why.c_str());
    }
    MMDB_close(&mmdb);
    std::printf("compared: %zu addresses (%zu with a source record, %zu without)\n", o.count, found,
                o.count - found);
    std::printf("agreement: %zu of %zu (%.3f%%)\n", agree, o.count,
                o.count ? 100.0 * double(agree) / double(o.count) : 100.0);
    return agree == o.count ? 0 : 1;
}
