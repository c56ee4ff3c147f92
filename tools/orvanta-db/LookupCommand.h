#pragma once
// orvanta-db lookup [--db FILE] [ADDRESS...]: one tab-separated line per
// address, a fresh reader for each, as the program looks addresses up.

#include "geoip/TGeoIPCity.h"
#include "geoip/TLookupResult.h"

#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

namespace orvanta::dbtool {

extern const char* const LookupUsage;

int RunLookup(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
              std::ostream& err);

// The output line without its line end: the address as given, the result
// name and the nine record fields; texts in UTF-8 with \t \r \n \\ escaped.
std::string FormatLookupLine(std::string_view address, geoip::TLookupResult result,
                             const geoip::TGeoIPCity& record);

// A number as the program shows it: up to 15 significant digits, "." as the
// decimal separator whatever the locale.
std::string FormatNumber(double value);

// Tab, CR, LF and backslash written as \t, \r, \n and \\.
std::string EscapeField(std::string_view text);

} // namespace orvanta::dbtool
