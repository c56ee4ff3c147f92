#include "InfoCommand.h"

#include "CommandLine.h"
#include "geoip/TGeoIP.h"

#include <ostream>

namespace orvanta::dbtool {

const char* const InfoUsage = "Usage: orvanta-db info FILE\n"
                              "Prints the database's edition, segment boundary and record length:\n"
                              "  edition: N\n"
                              "  segments: B        (or \"segments: none\")\n"
                              "  record_length: N\n";

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
        out << "edition: " << static_cast<unsigned>(reader.edition()) << '\n';
        if (reader.segments().empty()) {
            out << "segments: none\n";
        } else {
            out << "segments: " << reader.segments()[0] << '\n';
        }
        out << "record_length: " << reader.recordLength() << '\n';
    } catch (const geoip::EFOpenError& error) {
        err << error.what() << '\n';
        return ExitFailure;
    }
    return ExitSuccess;
}

} // namespace orvanta::dbtool
