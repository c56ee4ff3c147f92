// SPDX-License-Identifier: GPL-3.0-or-later
#include "geoip/DatabaseImageBytes.h"

#include "geoip/EFOpenError.h"
#include "geoip/FileDescriptor.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orvanta::geoip {
namespace {

// Tree nodes lie below boundary * 2 * RecordLength (boundary < 2^24, RL <= 4)
// and records below 6 * 2^24 + 50: nothing a lookup reads lies past this.
constexpr std::int64_t HeadLimit = std::int64_t(128) << 20;
// The edition block's windows start at most 22 bytes before the end.
constexpr std::int64_t TailBytes = 32;

// Reads up to `size` bytes at `position`; returns how many the file delivered
// (fewer when it ended, or was cut, before that).
std::size_t ReadFully(int fd, std::int64_t position, std::uint8_t* buffer, std::size_t size,
                      const std::string& fileName) {
    std::size_t done = 0;
    while (done < size) {
        const ssize_t got = ::pread(fd, buffer + done, size - done,
                                    static_cast<off_t>(position) + static_cast<off_t>(done));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            throw EFOpenError(fileName, errno);
        }
        if (got == 0) {
            break;
        }
        done += static_cast<std::size_t>(got);
    }
    return done;
}

} // namespace

DatabaseImageBytes::DatabaseImageBytes(const std::string& fileName) {
    // O_NONBLOCK as in TGeoIP: a FIFO must not block the open.
    FileDescriptor file(::open(fileName.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (!file.valid()) {
        throw EFOpenError(fileName, errno);
    }
    struct stat status {};
    if (::fstat(file.get(), &status) != 0) {
        throw EFOpenError(fileName, errno);
    }
    if (S_ISDIR(status.st_mode)) {
        throw EFOpenError(fileName, EISDIR);
    }
    if (S_ISREG(status.st_mode)) {
        Load(file.get(), status.st_size, fileName);
    }
}

void DatabaseImageBytes::Load(int fd, std::int64_t size, const std::string& fileName) {
    const auto want = static_cast<std::size_t>(std::min(size, HeadLimit));
    head_ = {static_cast<std::uint8_t*>(memory::AllocateLarge(want)), FreeLargeBlock{want}};
    const std::size_t got = ReadFully(fd, 0, head_.get(), want, fileName);
    headSize_ = got;
    if (got < want) {
        // Cut while we read: the copy is what there was.
        fileSize_ = static_cast<std::int64_t>(got);
        return;
    }
    fileSize_ = size;
    if (size > HeadLimit) {
        tail_.resize(static_cast<std::size_t>(TailBytes));
        const std::size_t tailGot =
            ReadFully(fd, size - TailBytes, tail_.data(), tail_.size(), fileName);
        if (tailGot < tail_.size()) {
            // Cut between the two reads: keep the head as the whole file.
            tail_.clear();
            fileSize_ = static_cast<std::int64_t>(headSize_);
        }
    }
}

std::size_t DatabaseImageBytes::ReadAt(std::int64_t position, std::uint8_t* buffer,
                                       std::size_t size) const {
    const auto headSize = static_cast<std::int64_t>(headSize_);
    const std::int64_t tailStart = fileSize_ - static_cast<std::int64_t>(tail_.size());
    std::size_t delivered = 0;
    bool delivering = true;
    for (std::size_t i = 0; i < size; ++i) {
        const std::int64_t at = position + static_cast<std::int64_t>(i);
        std::uint8_t byte = 0;
        bool present = at >= 0 && at < fileSize_;
        if (present && at < headSize) {
            byte = head_[static_cast<std::size_t>(at)];
        } else if (present && !tail_.empty() && at >= tailStart) {
            byte = tail_[static_cast<std::size_t>(at - tailStart)];
        }
        buffer[i] = byte;
        delivering = delivering && present;
        delivered += delivering ? 1 : 0;
    }
    return delivered;
}

EditionBlock DatabaseImageBytes::ReadEditionBlock(int treeDepth) const {
    return geoip::ReadEditionBlock(
        fileSize_,
        [this](std::int64_t position, std::uint8_t* buffer, std::size_t size) {
            return ReadAt(position, buffer, size);
        },
        treeDepth);
}

std::uint32_t DatabaseImageBytes::ChildPastHead(std::size_t position,
                                                std::int32_t valueBytes) const {
    std::uint8_t bytes[4];
    ReadAt(static_cast<std::int64_t>(position), bytes, static_cast<std::size_t>(valueBytes));
    return LittleEndian(bytes, valueBytes);
}

const std::uint8_t* DatabaseImageBytes::Window(std::int64_t position, std::size_t size) const {
    const auto end = position + static_cast<std::int64_t>(size);
    if (position >= 0 && end <= fileSize_ && end <= static_cast<std::int64_t>(headSize_)) {
        return head_.get() + position;
    }
    return nullptr;
}

} // namespace orvanta::geoip
