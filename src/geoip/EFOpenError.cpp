// SPDX-License-Identifier: GPL-3.0-or-later
#include "geoip/EFOpenError.h"

#include <filesystem>
#include <system_error>

namespace orvanta::geoip {
namespace {

// The system's text for the error, without the trailing white space and full
// stops some messages carry, since the message adds its own punctuation.
std::string SystemText(int errorNumber) {
    std::string text = std::generic_category().message(errorNumber);
    while (!text.empty() && (text.back() == '.' || text.back() == ' ' || text.back() == '\t' ||
                             text.back() == '\n' || text.back() == '\r')) {
        text.pop_back();
    }
    return text;
}

std::string Message(const std::string& fileName, int errorNumber) {
    return "Cannot open file \"" + EFOpenError::ExpandFileName(fileName) + "\". " +
           SystemText(errorNumber);
}

} // namespace

EFOpenError::EFOpenError(const std::string& fileName, int errorNumber)
    : std::runtime_error(Message(fileName, errorNumber)) {}

std::string EFOpenError::ExpandFileName(const std::string& fileName) {
    std::error_code error;
    std::filesystem::path base = std::filesystem::current_path(error);
    if (error) {
        return fileName;
    }
    if (fileName.empty()) {
        return base.string();
    }
    // Lexical only: the file may not exist, and "." and ".." are folded as the
    // name reads, not as symbolic links would resolve.
    return (base / fileName).lexically_normal().string();
}

} // namespace orvanta::geoip
