// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What an update installs and how a data folder remembers what its databases
// were made from: the location databases from DB-IP's City Lite download, or
// the two organisation databases from its ASN Lite download. Each kind keeps
// its own record (DIR/db/SOURCE.txt, DIR/db/SOURCE-asn.txt), so that one
// kind's update never decides about, or touches, the other's files.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace orvanta::dbtool::update {

struct Product {
    const char* downloadStem; // DB-IP's file names: STEM-YYYY-MM.mmdb.gz
    const char* database;     // the IPv4 file
    const char* ipv6Database; // the IPv6 file
    const char* sourceInfo;
    const char* summary;
};

inline constexpr Product CityProduct{"dbip-city-lite", "GeoLiteCity.dat", "GeoLiteCityv6.dat",
                                     "SOURCE.txt", "build-summary.txt"};
inline constexpr Product AsnProduct{"dbip-asn-lite", "GeoIPASNum.dat", "GeoIPASNumv6.dat",
                                    "SOURCE-asn.txt", "build-summary-asn.txt"};

// STEM-YYYY-MM.mmdb.gz for a month.
std::string ProductFileName(const Product& product, int year, unsigned month);

// What DIR/db/SOURCE*.txt says the installed database was made from.
struct SourceInfo {
    std::string name;
    std::uint64_t buildEpoch = 0;
    // The IPv6 city file is built from the same source; sources without IPv6
    // networks say so, so that a missing file is not taken for an install
    // that still lacks it.
    bool noIPv6 = false;
};

// The record of an install that is complete (every file of the kind is
// there), else nothing: an incomplete install is never taken for current.
std::optional<SourceInfo> InstalledSource(const std::filesystem::path& dir, const Product& product);

// The record's text, as InstalledSource reads it back.
std::string SourceInfoText(const SourceInfo& info);

// A build time as people read it: "2026-12-01 04:05:06 UTC".
std::string BuildDate(std::uint64_t epoch);

} // namespace orvanta::dbtool::update
