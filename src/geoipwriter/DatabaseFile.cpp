// SPDX-License-Identifier: GPL-3.0-or-later
#include "geoipwriter/DatabaseFile.h"

#include "geoipwriter/WriteError.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace orvanta::geoip {

DatabaseFile::DatabaseFile(const std::string& path) : path_(path) {
    const std::filesystem::path target(path);
    if (target.filename().empty()) {
        throw WriteError("Cannot write \"" + path + "\": not a file name");
    }
    const std::filesystem::path folder = target.parent_path();
    // Appended piecewise: GCC 12 warns falsely (-Wrestrict) on "." + string at -O3.
    std::string hidden(1, '.');
    hidden += target.filename().string();
    hidden += ".tmp-XXXXXX";
    temporaryPath_ = (folder / hidden).string();
    std::vector<char> name(temporaryPath_.begin(), temporaryPath_.end());
    name.push_back('\0');
    int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0) {
        int error = errno;
        temporaryPath_.clear();
        Fail("create a temporary file for", error);
    }
    temporaryPath_ = name.data();
    file_.reset(fd);
    // mkostemp makes the file private; a database is meant to be read by all.
    ::fchmod(fd, 0644);
}

DatabaseFile::~DatabaseFile() {
    file_.reset();
    if (!committed_ && !temporaryPath_.empty()) {
        ::unlink(temporaryPath_.c_str());
    }
}

void DatabaseFile::Fail(const std::string& action, int errorNumber) {
    throw WriteError("Cannot " + action + " \"" + path_ +
                     "\": " + std::generic_category().message(errorNumber));
}

void DatabaseFile::Write(const void* data, std::size_t size) {
    const auto* bytes = static_cast<const char*>(data);
    while (size > 0) {
        ssize_t written = ::write(file_.get(), bytes, size);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            Fail("write", written < 0 ? errno : ENOSPC);
        }
        bytes += written;
        size -= static_cast<std::size_t>(written);
    }
}

void DatabaseFile::Commit() {
    if (::fsync(file_.get()) != 0) {
        Fail("flush", errno);
    }
    // close() reports delayed write errors of some file systems.
    if (::close(file_.release()) != 0) {
        Fail("close", errno);
    }
    if (::rename(temporaryPath_.c_str(), path_.c_str()) != 0) {
        Fail("rename the finished database to", errno);
    }
    committed_ = true;
}

} // namespace orvanta::geoip
