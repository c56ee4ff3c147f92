// SPDX-License-Identifier: GPL-3.0-or-later
#include "geoip/PositionedFile.h"

#include "geoip/EFOpenError.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orvanta::geoip {

PositionedFile::PositionedFile(const std::string& fileName) {
    // O_NONBLOCK only matters for a FIFO or device, which would otherwise
    // block the caller forever in open(); regular files ignore it.
    int fd = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        throw EFOpenError(fileName, errno);
    }
    fd_.reset(fd);
    struct stat status {};
    if (::fstat(fd, &status) != 0) {
        throw EFOpenError(fileName, errno);
    }
    if (S_ISDIR(status.st_mode)) {
        throw EFOpenError(fileName, EISDIR);
    }
    size_ = S_ISREG(status.st_mode) ? status.st_size : 0;
}

std::size_t PositionedFile::ReadAt(std::int64_t position, std::uint8_t* buffer,
                                   std::size_t size) const {
    std::size_t done = 0;
    while (done < size && position >= 0) {
        ssize_t got = ::pread(fd_.get(), buffer + done, size - done,
                              static_cast<off_t>(position) + static_cast<off_t>(done));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            break;
        }
        done += static_cast<std::size_t>(got);
    }
    std::memset(buffer + done, 0, size - done);
    return done;
}

} // namespace orvanta::geoip
