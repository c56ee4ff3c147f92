// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Installs or refreshes the default city database in a data folder: takes
// DB-IP's City Lite MMDB (this month's download, else last month's, or a file
// the user gives), checks it is a city database with IPv4 data, converts it
// as the run scripts do (edition 6, fit steps) and replaces
// DIR/GeoLiteCity.dat only when every step succeeded. DIR/db/ receives the
// attribution, the README and what the database was made from; a database
// made from the same source file is left as it is unless forced.

#include <chrono>
#include <cstdint>
#include <iosfwd>
#include <stdexcept>
#include <string>

namespace orvanta::mmdbimport {
class Progress;
}

namespace orvanta::dbtool {

class UpdateError : public std::runtime_error {
public:
    explicit UpdateError(const std::string& message) : std::runtime_error(message) {}
};

struct UpdateRequest {
    std::string dir;      // the data folder (created when missing)
    std::string baseUrl;  // downloads are BASE/dbip-city-lite-YYYY-MM.mmdb.gz
    std::string fromFile; // an MMDB (gzip or not) to take instead of a download
    bool force = false;   // rebuild even from the source already installed
    int year = 0;         // "this month", in UTC
    unsigned month = 0;
    std::uint64_t maxDownloadBytes = std::uint64_t(1) << 30;
    std::uint64_t maxUnpackedBytes = std::uint64_t(2) << 30;
    std::chrono::milliseconds connectTimeout{15000};
    std::chrono::milliseconds totalTimeout{20 * 60 * 1000};
    std::string regionCodesPath; // iso-codes subdivision list for the fit steps
};

inline constexpr const char* DefaultDownloadBase = "https://download.db-ip.com/free";

// The file name DB-IP publishes for a month: dbip-city-lite-2026-12.mmdb.gz.
std::string MonthlyFileName(int year, unsigned month);
// The same for the ASN Lite database: dbip-asn-lite-2026-12.mmdb.gz.
std::string MonthlyAsnFileName(int year, unsigned month);

// $XDG_DATA_HOME/orvanta, else $HOME/.local/share/orvanta; "" without either.
std::string DefaultDataFolder();

// Prints what it did to `out` (one line, plus the attribution) and notes to
// `err`; throws UpdateError with one line saying what failed, leaving the
// installed database and the folder as they were.
// A file given by hand (fromFile) is installed as what it is: an ASN
// database as the organisation files, as UpdateAsnDatabases would.
void UpdateDatabase(const UpdateRequest& request, mmdbimport::Progress& progress, std::ostream& out,
                    std::ostream& err);

// The same for the organisation databases GeoIPASNum.dat and
// GeoIPASNumv6.dat from DB-IP's ASN Lite download (BASE/dbip-asn-lite-
// YYYY-MM.mmdb.gz), recorded in DIR/db/SOURCE-asn.txt. Never touches the
// location database, and the city update never touches these.
void UpdateAsnDatabases(const UpdateRequest& request, mmdbimport::Progress& progress,
                        std::ostream& out, std::ostream& err);

} // namespace orvanta::dbtool
