// SPDX-License-Identifier: GPL-3.0-or-later
#include "LookupCommand.h"

#include "AsnLookup.h"
#include "BulkLookup.h"
#include "CommandLine.h"
#include "LookupFormatter.h"
#include "geoip/IPv6Text.h"
#include "geoip/TGeoIP.h"
#include "geoip/TGeoIPv6.h"

#include <istream>
#include <ostream>

namespace orvanta::dbtool {

const char* const LookupUsage =
    "Usage: orvanta-db lookup [--db FILE] [--db6 FILE6] [--asn FILE] [--asn6 FILE]\n"
    "                         [--json] [ADDRESS...]\n"
    "Looks each ADDRESS up in FILE (default: GeoLiteCity.dat in the current\n"
    "directory), an IPv6 ADDRESS in FILE6 (default: GeoLiteCityv6.dat there; an\n"
    "IPv4-mapped ::ffff:a.b.c.d is looked up as a.b.c.d in FILE); with no ADDRESS,\n"
    "reads addresses of both families from standard input, one a line, and\n"
    "answers them in that order. When FILE6 cannot be opened, its error is printed\n"
    "once, IPv6 addresses get no line, the others are answered, and the exit\n"
    "code is 1.\n"
    "Prints one line per address, fields separated by a tab:\n"
    "  address result CountryCode CountryName Region City PostalCode Latitude\n"
    "  Longitude DmaCode AreaCode network asn organization special\n"
    "Texts are UTF-8; tab, CR, LF and backslash appear as \\t, \\r, \\n and \\\\, and\n"
    "bytes of the address that are not UTF-8 as \\xNN. The address is echoed up to\n"
    "its first 1000 bytes.\n"
    "network is the matched network as a.b.c.d/len, or as IPv6 CIDR for an IPv6\n"
    "address (empty when no search was made).\n"
    "asn and organization are the AS number and the name of the network's\n"
    "organisation from the organisation databases (empty without a record).\n"
    "special is the special-purpose block of the address in the words of IANA's\n"
    "registries (\"Private-Use\", \"Loopback\", \"Multicast\"; empty for others).\n"
    "  --asn FILE   the IPv4 organisation database (default: GeoIPASNum.dat in the\n"
    "               current directory; a missing default leaves the fields empty)\n"
    "  --asn6 FILE  the IPv6 one (default: GeoIPASNumv6.dat)\n"
    "  --json       one JSON object per line with the same fields (network null\n"
    "               when no search was made, asn and organization null without a\n"
    "               record, special null for other addresses)\n";

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
            if (walker.TakeValue("--db", options.file) ||
                walker.TakeValue("--db6", options.file6)) {
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

namespace {

// An IPv6 text that is not IPv4-mapped, and its value.
bool IsIPv6Text(const std::string& address, geoip::AddressValue& value) {
    std::uint32_t mapped = 0;
    const std::optional<geoip::AddressValue> parsed = geoip::ParseIPv6Address(address);
    if (!parsed || geoip::IsIPv4Mapped(*parsed, mapped)) {
        return false;
    }
    value = *parsed;
    return true;
}

// An IPv4-mapped text as its dotted IPv4 address; any other text as it is.
std::string IPv4Text(const std::string& address) {
    std::uint32_t mapped = 0;
    const std::optional<geoip::AddressValue> parsed = geoip::ParseIPv6Address(address);
    if (!parsed || !geoip::IsIPv4Mapped(*parsed, mapped)) {
        return address;
    }
    return std::to_string(mapped >> 24) + "." + std::to_string((mapped >> 16) & 255) + "." +
           std::to_string((mapped >> 8) & 255) + "." + std::to_string(mapped & 255);
}

void LookupOneIPv6(const LookupOptions& options, geoip::AddressValue value, std::ostream& out) {
    const std::string& address = options.addresses.front();
    geoip::TGeoIPCity record;
    int prefixLength = -1;
    geoip::TLookupResult result;
    {
        geoip::TGeoIPv6 reader(options.file6);
        result = reader.LookupCity(address, record, prefixLength);
    }
    const std::optional<std::string> organization = LookupAsnOnce(options.asn, address);
    std::string line;
    LookupAnswer answer{address, result, &record, 0, prefixLength};
    answer.organization = organization;
    answer.ipv6 = true;
    answer.ipv6Number = value;
    LookupFormatter(options.format).AppendLine(line, answer);
    out << line;
}

// One reader, opened and freed around the lookup, as the program does.
void LookupOne(const LookupOptions& options, std::ostream& out) {
    geoip::AddressValue value = 0;
    if (IsIPv6Text(options.addresses.front(), value)) {
        LookupOneIPv6(options, value, out);
        return;
    }
    const std::string& address = options.addresses.front();
    const std::string ipv4 = IPv4Text(address);
    geoip::TGeoIPCity record;
    int prefixLength = -1;
    geoip::TLookupResult result;
    {
        geoip::TGeoIP reader(options.file);
        result = reader.LookupCity(ipv4, record, prefixLength);
    }
    const std::optional<std::string> organization = LookupAsnOnce(options.asn, address);
    std::string line;
    LookupAnswer answer{address, result, &record, geoip::TGeoIP::AddressToNumber(ipv4),
                        prefixLength};
    answer.organization = organization;
    LookupFormatter(options.format).AppendLine(line, answer);
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
        BulkLookup bulk(options.file, options.file6, options.asn, options.format, out, err);
        if (options.addresses.empty()) {
            LookupStandardInput(bulk, in, interactive);
        } else {
            for (const std::string& address : options.addresses) {
                bulk.Add(address);
            }
        }
        bulk.Flush();
        if (bulk.failed()) {
            return ExitFailure;
        }
    } catch (const geoip::EFOpenError& error) {
        err << error.what() << '\n';
        return ExitFailure;
    }
    return ExitSuccess;
}

} // namespace orvanta::dbtool
