// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The writer's refusal: the input cannot be stored in the format, or the file
// cannot be written. Nothing is left behind when it is thrown.

#include <stdexcept>
#include <string>

namespace orvanta::geoip {

class WriteError : public std::runtime_error {
public:
    explicit WriteError(const std::string& message) : std::runtime_error(message) {}
};

} // namespace orvanta::geoip
