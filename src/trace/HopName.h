// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The host name of a hop's address (numeric IPv4 or IPv6 text), from the
// platform's resolver (getnameinfo with NI_NAMEREQD); nothing when it finds
// none. Blocks as long as the resolver takes: callers run it off the window
// thread and bound their own wait.
#include <optional>
#include <string>

namespace orvanta::trace {

std::optional<std::string> HostNameOfHop(const std::string& address);

} // namespace orvanta::trace
