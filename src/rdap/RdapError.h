// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A registration-data lookup that could not be done: no service for the
// name or address, a server that failed or answered something unusable.
// The message says which server and what went wrong.

#include <stdexcept>

namespace orvanta::rdap {

class RdapError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

} // namespace orvanta::rdap
