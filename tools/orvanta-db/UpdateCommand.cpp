// SPDX-License-Identifier: GPL-3.0-or-later
#include "UpdateCommand.h"

#include "CommandLine.h"
#include "DatabaseUpdate.h"
#include "mmdbimport/RegionCodes.h"
#include "mmdbimport/TerminalProgressBar.h"

#include <chrono>
#include <cstdlib>
#include <exception>
#include <ostream>

namespace orvanta::dbtool {

const char* const UpdateUsage =
    "Usage: orvanta-db update [--dir DIR] [--url BASE] [--from FILE] [--force]\n"
    "Installs or refreshes DIR/GeoLiteCity.dat from DB-IP's free IP to City Lite\n"
    "database: downloads BASE/dbip-city-lite-YYYY-MM.mmdb.gz for this month, or last\n"
    "month's while this month's is not out, converts it (edition 6, --fit) and\n"
    "replaces the database only when every step succeeded. Then the same for the\n"
    "organisation databases DIR/GeoIPASNum.dat and DIR/GeoIPASNumv6.dat from DB-IP's\n"
    "IP to ASN Lite database (BASE/dbip-asn-lite-YYYY-MM.mmdb.gz); a failure of one\n"
    "leaves the files of the other alone. DIR/db/ receives the attribution and what\n"
    "the databases were made from.\n"
    "  --dir DIR    the data folder (default: $XDG_DATA_HOME/orvanta, that is\n"
    "               ~/.local/share/orvanta, where the desktop entry starts Orvanta)\n"
    "  --url BASE   a mirror (default: $ORVANTA_DB_URL, else\n"
    "               https://download.db-ip.com/free); https, or http to this machine\n"
    "  --from FILE  take an MMDB city or ASN database you downloaded (gzip or not)\n"
    "               instead; it replaces the files of its kind only\n"
    "  --force      rebuild even when the database is made from the same file\n";

namespace {

void TakeOnce(bool& seen, const char* option) {
    if (seen) {
        throw UsageError(std::string("give ") + option + " once");
    }
    seen = true;
}

UpdateRequest ParseUpdateOptions(const std::vector<std::string>& args, bool& help) {
    UpdateRequest request;
    ArgumentWalker walker(args);
    bool haveDir = false;
    bool haveUrl = false;
    bool haveFrom = false;
    while (!walker.Done()) {
        if (walker.TakeFlag("--help")) {
            help = true;
            return request;
        }
        if (walker.TakeValue("--dir", request.dir)) {
            TakeOnce(haveDir, "--dir");
        } else if (walker.TakeValue("--url", request.baseUrl)) {
            TakeOnce(haveUrl, "--url");
        } else if (walker.TakeValue("--from", request.fromFile)) {
            TakeOnce(haveFrom, "--from");
        } else if (walker.TakeFlag("--force")) {
            request.force = true;
        } else if (IsOption(walker.Current())) {
            throw UsageError("unknown option " + walker.Current());
        } else {
            throw UsageError("unexpected argument \"" + walker.Current() + "\"");
        }
    }
    if (haveUrl && haveFrom) {
        throw UsageError("give --url or --from, not both");
    }
    // An empty --url would quietly mean the default server, not the mirror
    // a script meant to name.
    if ((haveDir && request.dir.empty()) || (haveUrl && request.baseUrl.empty()) ||
        (haveFrom && request.fromFile.empty())) {
        throw UsageError("an option's value is empty");
    }
    return request;
}

} // namespace

int RunUpdate(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    bool help = false;
    UpdateRequest request = ParseUpdateOptions(args, help);
    if (help) {
        out << UpdateUsage;
        return ExitSuccess;
    }
    if (request.dir.empty()) {
        request.dir = DefaultDataFolder();
    }
    if (request.baseUrl.empty()) {
        const char* mirror = std::getenv("ORVANTA_DB_URL");
        request.baseUrl = mirror != nullptr && mirror[0] != '\0' ? mirror : DefaultDownloadBase;
    }
    const std::chrono::year_month_day today{
        std::chrono::floor<std::chrono::days>(std::chrono::system_clock::now())};
    request.year = static_cast<int>(today.year());
    request.month = static_cast<unsigned>(today.month());
    request.regionCodesPath = mmdbimport::RegionCodes::DefaultPath;
    mmdbimport::TerminalProgressBar progress(stderr);
    // The location database first, then the organisation files; each kind
    // is tried whatever became of the other, and the failures are reported
    // together on one line.
    std::string failures;
    const auto attempt = [&](auto update) {
        try {
            update(request, progress, out, err);
        } catch (const UpdateError& error) {
            failures += (failures.empty() ? "" : "; ") + std::string(error.what());
        } catch (const std::exception& error) {
            // Anything unforeseen (memory, the file system) still ends as
            // one line and a failure, never an abort.
            failures += (failures.empty() ? "update failed: " : "; update failed: ") +
                        std::string(error.what());
        }
    };
    attempt(UpdateDatabase);
    if (request.fromFile.empty()) {
        attempt(UpdateAsnDatabases);
    }
    if (!failures.empty()) {
        err << "orvanta-db: " << failures << '\n';
        return ExitFailure;
    }
    return ExitSuccess;
}

} // namespace orvanta::dbtool
