// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// orvanta-db info FILE: the edition, segment boundary and record length the
// reader derives from the file's edition block.

#include <iosfwd>
#include <string>
#include <vector>

namespace orvanta::dbtool {

extern const char* const InfoUsage;

int RunInfo(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace orvanta::dbtool
