// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A trace that cannot run from here: a destination that cannot be traced,
// no route, no socket. The message is meant for the user as it is.
#include <stdexcept>
#include <string>

namespace orvanta::trace {

class TraceError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

} // namespace orvanta::trace
