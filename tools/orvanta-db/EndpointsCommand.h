// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// orvanta-db endpoints [OPTIONS] CAPTURE...: every address of the captures'
// packets once, in the order first seen, with its packets and bytes, then
// what `orvanta-db lookup` tells about it.

#include <iosfwd>
#include <string>
#include <vector>

namespace orvanta::dbtool {

extern const char* const EndpointsUsage;

int RunEndpoints(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace orvanta::dbtool
