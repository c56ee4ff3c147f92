// SPDX-License-Identifier: GPL-3.0-or-later
#include "ScratchFile.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <stdexcept>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace orvanta::dbtool {
namespace {

std::string Reason(int error) {
    return std::generic_category().message(error);
}

} // namespace

ScratchFile::ScratchFile(const std::string& folder, const std::string& stem) {
    std::string pattern = folder;
    pattern += "/.";
    pattern += stem;
    pattern += ".tmp-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0) {
        throw std::runtime_error("Cannot create a temporary file in \"" + folder +
                                 "\": " + Reason(errno));
    }
    path_ = name.data();
    file_.reset(fd);
}

ScratchFile::~ScratchFile() {
    file_.reset();
    ::unlink(path_.c_str());
}

void ScratchFile::Write(const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(file_.get(), data, size);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            throw std::runtime_error("Cannot write \"" + path_ +
                                     "\": " + Reason(written < 0 ? errno : ENOSPC));
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
}

void ScratchFile::Close() {
    if (file_.valid() && ::close(file_.release()) != 0) {
        throw std::runtime_error("Cannot write \"" + path_ + "\": " + Reason(errno));
    }
}

} // namespace orvanta::dbtool
