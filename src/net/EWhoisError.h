// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The failure a WHOIS query reports: "Already connected.", or an empty
// message for a client that names no server. Socket and resolver failures
// use the derived ESocketError.

#include <stdexcept>
#include <string>

namespace orvanta::net {

class EWhoisError : public std::runtime_error {
public:
    explicit EWhoisError(const std::string& message) : std::runtime_error(message) {}
};

} // namespace orvanta::net
