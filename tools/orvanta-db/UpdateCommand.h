// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// orvanta-db update [--dir DIR] [--url BASE] [--from FILE] [--force]: the
// command line of DatabaseUpdate, with this month taken from the clock.

#include <iosfwd>
#include <string>
#include <vector>

namespace orvanta::dbtool {

extern const char* const UpdateUsage;

int RunUpdate(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace orvanta::dbtool
