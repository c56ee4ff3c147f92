#pragma once
// orvanta-db lookup [--db FILE] [--json] [ADDRESS...]: one line per address.
// A single address gets a fresh reader, as the program looks addresses up;
// several addresses, or addresses on standard input, are answered from one
// in-memory copy of the database with the same answers.

#include <iosfwd>
#include <string>
#include <vector>

namespace orvanta::dbtool {

extern const char* const LookupUsage;

// `interactive`: standard output is a terminal, so every line is flushed.
int RunLookup(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
              std::ostream& err, bool interactive = false);

} // namespace orvanta::dbtool
