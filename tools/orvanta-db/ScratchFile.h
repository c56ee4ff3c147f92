// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A temporary file in a given folder, for data on its way to becoming
// something else (an unpacked download). Removed when the holder goes away,
// on every path.

#include "geoip/FileDescriptor.h"

#include <cstddef>
#include <string>

namespace orvanta::dbtool {

class ScratchFile {
public:
    // Throws std::runtime_error naming the folder when no file can be made.
    ScratchFile(const std::string& folder, const std::string& stem);
    ~ScratchFile();
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;

    const std::string& path() const { return path_; }
    // Throws std::runtime_error when the bytes cannot be written.
    void Write(const char* data, std::size_t size);
    // Closes the file for writing (and reports delayed write errors).
    void Close();

private:
    std::string path_;
    geoip::FileDescriptor file_;
};

} // namespace orvanta::dbtool
