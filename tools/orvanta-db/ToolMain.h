// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The orvanta-db command line: picks the command and turns usage errors into
// a usage message and exit code 2.

#include <iosfwd>
#include <string>
#include <vector>

namespace orvanta::dbtool {

// `args` without the program name; `interactive` when standard output is a
// terminal (lines are then written as they are made).
int RunTool(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
            std::ostream& err, bool interactive = false);

} // namespace orvanta::dbtool
