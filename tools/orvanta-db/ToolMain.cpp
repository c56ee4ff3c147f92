// SPDX-License-Identifier: GPL-3.0-or-later
#include "ToolMain.h"

#include "BuildCommand.h"
#include "CommandLine.h"
#include "EndpointsCommand.h"
#include "InfoCommand.h"
#include "LookupCommand.h"
#include "UpdateCommand.h"

#include <ostream>

namespace orvanta::dbtool {
namespace {

const char* const ToolUsage =
    "Usage: orvanta-db COMMAND [OPTIONS]\n"
    "Reads and writes city databases in the legacy binary format (GeoLiteCity.dat,\n"
    "and GeoLiteCityv6.dat for IPv6) and the organisation databases of the same\n"
    "format (GeoIPASNum.dat, GeoIPASNumv6.dat).\n"
    "Commands:\n"
    "  info FILE                       edition, segment boundary, record length\n"
    "  lookup [--db FILE] [--db6 FILE6] [--asn FILE] [--asn6 FILE] [--json] [ADDRESS...]\n"
    "                                  look IPv4 and IPv6 addresses up, one line each\n"
    "  endpoints [--db FILE] [--db6 FILE6] [--asn FILE] [--asn6 FILE] [--json] CAPTURE...\n"
    "                                  every address of pcap/pcapng captures, counted\n"
    "  build --csv FILE -o OUT [--edition 2|6|9|21|30|31] [--fit]\n"
    "                                  build a database from a CSV file\n"
    "  build --mmdb FILE -o OUT [--edition 2|6|9|21|30|31] [--fit]\n"
    "                                  build a database from an MMDB city or ASN database\n"
    "  update [--dir DIR] [--url BASE] [--from FILE] [--force]\n"
    "                                  install or refresh the default databases\n"
    "  --version                       print the version and exit\n"
    "Run \"orvanta-db COMMAND --help\" for a command's details.\n"
    "Exit codes: 0 success, 1 failure, 2 wrong command line.\n";

} // namespace

int RunTool(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
            std::ostream& err, bool interactive) {
    if (args.empty()) {
        err << ToolUsage;
        return ExitUsage;
    }
    const std::string& command = args[0];
    if (command == "--help" || command == "help") {
        out << ToolUsage;
        return ExitSuccess;
    }
    if (command == "--version") {
        out << "orvanta-db " << ORVANTA_VERSION << '\n';
        return ExitSuccess;
    }
    const std::vector<std::string> rest(args.begin() + 1, args.end());
    const char* usage = ToolUsage;
    try {
        if (command == "info") {
            usage = InfoUsage;
            return RunInfo(rest, out, err);
        }
        if (command == "lookup") {
            usage = LookupUsage;
            return RunLookup(rest, in, out, err, interactive);
        }
        if (command == "endpoints") {
            usage = EndpointsUsage;
            return RunEndpoints(rest, out, err);
        }
        if (command == "update") {
            usage = UpdateUsage;
            return RunUpdate(rest, out, err);
        }
        if (command == "build") {
            usage = BuildUsage;
            return RunBuild(rest, out, err);
        }
        throw UsageError("unknown command \"" + command + "\"");
    } catch (const UsageError& error) {
        err << "orvanta-db: " << error.what() << '\n' << usage;
        return ExitUsage;
    }
}

} // namespace orvanta::dbtool
