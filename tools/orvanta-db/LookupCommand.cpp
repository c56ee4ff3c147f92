#include "LookupCommand.h"

#include "AsnLookup.h"
#include "BulkLookup.h"
#include "CommandLine.h"
#include "LookupFormatter.h"
#include "geoip/TGeoIP.h"

#include <istream>
#include <ostream>

namespace orvanta::dbtool {

const char* const LookupUsage =
    "Usage: orvanta-db lookup [--db FILE] [--asn FILE] [--asn6 FILE] [--json] [ADDRESS...]\n"
    "Looks each ADDRESS up in FILE (default: GeoLiteCity.dat in the current\n"
    "directory); with no ADDRESS, reads addresses from standard input, one a line.\n"
    "Prints one line per address, fields separated by a tab:\n"
    "  address result CountryCode CountryName Region City PostalCode Latitude\n"
    "  Longitude DmaCode AreaCode network asn organization\n"
    "Texts are UTF-8; tab, CR, LF and backslash appear as \\t, \\r, \\n and \\\\.\n"
    "network is the matched network as a.b.c.d/len (empty when no search was made).\n"
    "asn and organization are the AS number and the name of the network's\n"
    "organisation from the organisation databases (empty without a record).\n"
    "  --asn FILE   the IPv4 organisation database (default: GeoIPASNum.dat in the\n"
    "               current directory; a missing default leaves the fields empty)\n"
    "  --asn6 FILE  the IPv6 one (default: GeoIPASNumv6.dat)\n"
    "  --json       one JSON object per line with the same fields (network null\n"
    "               when no search was made, asn and organization null without a\n"
    "               record)\n";

namespace {

constexpr const char* DefaultDatabase = "GeoLiteCity.dat";

struct LookupOptions {
    std::string file = DefaultDatabase;
    AsnFiles asn;
    LookupFormat format = LookupFormat::Tsv;
    std::vector<std::string> addresses;
    bool help = false;
};

LookupOptions ParseLookupOptions(const std::vector<std::string>& args) {
    LookupOptions options;
    ArgumentWalker walker(args);
    bool optionsEnded = false;
    while (!walker.Done()) {
        if (!optionsEnded) {
            if (walker.TakeFlag("--help")) {
                options.help = true;
                return options;
            }
            if (walker.TakeFlag("--")) {
                optionsEnded = true;
                continue;
            }
            if (walker.TakeValue("--db", options.file)) {
                continue;
            }
            if (walker.TakeValue("--asn", options.asn.v4)) {
                options.asn.v4Given = true;
                continue;
            }
            if (walker.TakeValue("--asn6", options.asn.v6)) {
                options.asn.v6Given = true;
                continue;
            }
            if (walker.TakeFlag("--json")) {
                options.format = LookupFormat::Json;
                continue;
            }
            if (IsOption(walker.Current())) {
                throw UsageError("unknown option " + walker.Current());
            }
        }
        options.addresses.push_back(walker.Current());
        walker.Skip();
    }
    return options;
}

// One reader, opened and freed around the lookup, as the program does.
void LookupOne(const LookupOptions& options, std::ostream& out) {
    const std::string& address = options.addresses.front();
    geoip::TGeoIPCity record;
    int prefixLength = -1;
    geoip::TLookupResult result;
    {
        geoip::TGeoIP reader(options.file);
        result = reader.LookupCity(address, record, prefixLength);
    }
    const std::optional<std::string> organization = LookupAsnOnce(options.asn, address);
    std::string line;
    LookupFormatter(options.format)
        .AppendLine(line, {address, result, &record, geoip::TGeoIP::AddressToNumber(address),
                           prefixLength, organization});
    out << line;
}

void LookupStandardInput(BulkLookup& bulk, std::istream& in, bool interactive) {
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        bulk.Add(line);
        // Lines go out in large pieces; but a caller that feeds one address
        // and waits for its answer gets it once no further input is waiting.
        if (interactive || in.rdbuf()->in_avail() <= 0) {
            bulk.Flush();
        }
    }
}

} // namespace

int RunLookup(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
              std::ostream& err, bool interactive) {
    const LookupOptions options = ParseLookupOptions(args);
    if (options.help) {
        out << LookupUsage;
        return ExitSuccess;
    }
    try {
        if (options.addresses.size() == 1) {
            LookupOne(options, out);
            return ExitSuccess;
        }
        BulkLookup bulk(options.file, options.asn, options.format, out);
        if (options.addresses.empty()) {
            LookupStandardInput(bulk, in, interactive);
        } else {
            for (const std::string& address : options.addresses) {
                bulk.Add(address);
            }
        }
        bulk.Flush();
    } catch (const geoip::EFOpenError& error) {
        err << error.what() << '\n';
        return ExitFailure;
    }
    return ExitSuccess;
}

} // namespace orvanta::dbtool
