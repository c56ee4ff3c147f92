// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Raised when a database file cannot be opened. The message reads
// Cannot open file "<absolute path>". <system text>

#include <stdexcept>
#include <string>

namespace orvanta::geoip {

class EFOpenError : public std::runtime_error {
public:
    EFOpenError(const std::string& fileName, int errorNumber);

    // The name expanded against the current directory, as the message shows it.
    static std::string ExpandFileName(const std::string& fileName);
};

} // namespace orvanta::geoip
