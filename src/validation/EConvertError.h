// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// EConvertError: a text that should hold a number holds one too large for
// its type. The message is the one the user sees in the error report.
#include <stdexcept>
#include <string>
#include <string_view>

class EConvertError : public std::runtime_error {
public:
    explicit EConvertError(const std::string& message);

    // "'<text>' is not a valid integer value"
    static EConvertError NotAnInteger(std::string_view text);
};
