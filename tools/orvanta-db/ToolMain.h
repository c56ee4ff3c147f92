#pragma once
// The orvanta-db command line: picks the command and turns usage errors into
// a usage message and exit code 2.

#include <iosfwd>
#include <string>
#include <vector>

namespace orvanta::dbtool {

// `args` without the program name.
int RunTool(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
            std::ostream& err);

} // namespace orvanta::dbtool
