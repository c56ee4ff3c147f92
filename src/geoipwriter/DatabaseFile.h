// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A database file being written: the bytes go to a temporary file in the
// target's folder, which Commit() renames into place. Until then the target
// is untouched, and a failure or an early return removes the temporary file.

#include "geoip/FileDescriptor.h"

#include <cstddef>
#include <string>

namespace orvanta::geoip {

class DatabaseFile {
public:
    // Throws WriteError when the temporary file cannot be created.
    explicit DatabaseFile(const std::string& path);
    ~DatabaseFile();
    DatabaseFile(const DatabaseFile&) = delete;
    DatabaseFile& operator=(const DatabaseFile&) = delete;

    void Write(const void* data, std::size_t size);
    // Flushes the file to disk and renames it to the target path.
    void Commit();

private:
    [[noreturn]] void Fail(const std::string& action, int errorNumber);

    std::string path_;
    std::string temporaryPath_;
    FileDescriptor file_;
    bool committed_ = false;
};

} // namespace orvanta::geoip
