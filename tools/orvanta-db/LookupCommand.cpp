#include "LookupCommand.h"

#include "CommandLine.h"
#include "geoip/TGeoIP.h"
#include "geoipwriter/TextConversion.h"

#include <charconv>
#include <istream>
#include <ostream>

namespace orvanta::dbtool {

const char* const LookupUsage =
    "Usage: orvanta-db lookup [--db FILE] [ADDRESS...]\n"
    "Looks each ADDRESS up in FILE (default: GeoLiteCity.dat in the current\n"
    "directory); with no ADDRESS, reads addresses from standard input, one a line.\n"
    "Prints one line per address, fields separated by a tab:\n"
    "  address result CountryCode CountryName Region City PostalCode Latitude\n"
    "  Longitude DmaCode AreaCode\n"
    "Texts are UTF-8; tab, CR, LF and backslash appear as \\t, \\r, \\n and \\\\.\n";

namespace {

constexpr const char* DefaultDatabase = "GeoLiteCity.dat";

// One reader per address, opened and freed around the lookup.
bool LookupOne(const std::string& file, const std::string& address, std::ostream& out,
               std::ostream& err) {
    geoip::TGeoIPCity record;
    geoip::TLookupResult result;
    try {
        geoip::TGeoIP reader(file);
        result = reader.LookupCity(address, record);
    } catch (const geoip::EFOpenError& error) {
        err << error.what() << '\n';
        return false;
    }
    if (result != geoip::lrFound) {
        record = geoip::TGeoIPCity();
    }
    out << FormatLookupLine(address, result, record) << '\n';
    return true;
}

} // namespace

std::string FormatNumber(double value) {
    char text[64];
    auto [end, error] =
        std::to_chars(text, text + sizeof text, value, std::chars_format::general, 15);
    return error == std::errc() ? std::string(text, end) : std::string("nan");
}

std::string EscapeField(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '\t':
            out += "\\t";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\\':
            out += "\\\\";
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::string FormatLookupLine(std::string_view address, geoip::TLookupResult result,
                             const geoip::TGeoIPCity& record) {
    std::string line = EscapeField(address);
    auto text = [&line](const std::string& latin1) {
        line += '\t';
        line += EscapeField(geoip::Latin1ToUtf8(latin1));
    };
    line += '\t';
    line += geoip::LookupResultName(result);
    text(record.CountryCode);
    text(record.CountryName);
    text(record.Region);
    text(record.City);
    text(record.PostalCode);
    for (double number : {record.Latitude, record.Longitude}) {
        line += '\t';
        line += FormatNumber(number);
    }
    for (std::int32_t number : {record.DmaCode, record.AreaCode}) {
        line += '\t';
        line += std::to_string(number);
    }
    return line;
}

int RunLookup(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
              std::ostream& err) {
    ArgumentWalker walker(args);
    std::string file = DefaultDatabase;
    std::vector<std::string> addresses;
    bool optionsEnded = false;
    while (!walker.Done()) {
        if (!optionsEnded) {
            if (walker.TakeFlag("--help")) {
                out << LookupUsage;
                return ExitSuccess;
            }
            if (walker.TakeFlag("--")) {
                optionsEnded = true;
                continue;
            }
            if (walker.TakeValue("--db", file)) {
                continue;
            }
            if (IsOption(walker.Current())) {
                throw UsageError("unknown option " + walker.Current());
            }
        }
        addresses.push_back(walker.Current());
        walker.Skip();
    }
    if (!addresses.empty()) {
        for (const std::string& address : addresses) {
            if (!LookupOne(file, address, out, err)) {
                return ExitFailure;
            }
        }
        return ExitSuccess;
    }
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (!LookupOne(file, line, out, err)) {
            return ExitFailure;
        }
        out.flush(); // answers as they come, for a script feeding one line at a time
    }
    return ExitSuccess;
}

} // namespace orvanta::dbtool
