// SPDX-License-Identifier: GPL-3.0-or-later
#include "InfoCommand.h"

#include "CommandLine.h"
#include "geoip/Editions.h"
#include "geoip/TGeoIP.h"
#include "geoip/TGeoIPv6.h"

#include <ostream>

namespace orvanta::dbtool {

const char* const InfoUsage = "Usage: orvanta-db info FILE\n"
                              "Prints the database's edition, segment boundary and record length:\n"
                              "  edition: N\n"
                              "  segments: B        (or \"segments: none\")\n"
                              "  record_length: N\n"
                              "and, for the IPv6 editions 21, 30 and 31, a fourth line naming\n"
                              "the edition, e.g. \"name: IPv6 city\".\n";

int RunInfo(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    ArgumentWalker walker(args);
    std::string file;
    bool haveFile = false;
    bool optionsEnded = false;
    while (!walker.Done()) {
        if (!optionsEnded && walker.TakeFlag("--help")) {
            out << InfoUsage;
            return ExitSuccess;
        }
        if (!optionsEnded && walker.TakeFlag("--")) {
            optionsEnded = true;
            continue;
        }
        if (!optionsEnded && IsOption(walker.Current())) {
            throw UsageError("unknown option " + walker.Current());
        }
        if (haveFile) {
            throw UsageError("info takes one FILE");
        }
        file = walker.Current();
        haveFile = true;
        walker.Skip();
    }
    if (!haveFile) {
        throw UsageError("info needs a FILE");
    }
    try {
        geoip::TGeoIP reader(file);
        std::vector<std::uint32_t> segments = reader.segments();
        const geoip::EditionInfo* info = geoip::FindEdition(reader.edition());
        const bool ipv6 = info && info->treeDepth == 128;
        if (ipv6) {
            // The IPv4 reader gives these editions no boundary; theirs is read alike.
            segments = geoip::TGeoIPv6(file).segments();
        }
        out << "edition: " << static_cast<unsigned>(reader.edition()) << '\n';
        if (segments.empty()) {
            out << "segments: none\n";
        } else {
            out << "segments: " << segments[0] << '\n';
        }
        out << "record_length: " << reader.recordLength() << '\n';
        if (ipv6) {
            out << "name: " << info->name << '\n';
        }
    } catch (const geoip::EFOpenError& error) {
        err << error.what() << '\n';
        return ExitFailure;
    }
    return ExitSuccess;
}

} // namespace orvanta::dbtool
