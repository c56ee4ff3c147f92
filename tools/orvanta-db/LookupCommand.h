// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// orvanta-db lookup [--db FILE] [--json] [ADDRESS...]: one line per address.
// A single address gets a fresh reader, as the program looks addresses up;
// several addresses, or addresses on standard input, are answered from one
// in-memory copy of the database with the same answers.

#include "AsnLookup.h"
#include "LookupFormatter.h"

#include <iosfwd>
#include <string>
#include <vector>

namespace orvanta::dbtool {

extern const char* const LookupUsage;

// The databases and the format of a lookup, and the operands after the
// options; `orvanta-db endpoints` takes the same options.
struct LookupOptions {
    std::string file = "GeoLiteCity.dat";
    std::string file6 = "GeoLiteCityv6.dat";
    AsnFiles asn;
    LookupFormat format = LookupFormat::Tsv;
    std::vector<std::string> addresses; // the operands: capture files for endpoints
    bool help = false;
};

// Throws UsageError for an unknown option or one without its value.
LookupOptions ParseLookupOptions(const std::vector<std::string>& args);

// `interactive`: standard output is a terminal, so every line is flushed.
int RunLookup(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
              std::ostream& err, bool interactive = false);

} // namespace orvanta::dbtool
