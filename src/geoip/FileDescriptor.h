// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Owns one open file descriptor and closes it on every path.

namespace orvanta::geoip {

class FileDescriptor {
public:
    FileDescriptor() = default;
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor();
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    FileDescriptor(FileDescriptor&& other) noexcept;
    FileDescriptor& operator=(FileDescriptor&& other) noexcept;

    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    void reset(int fd = -1);
    // Gives up ownership without closing.
    int release();

private:
    int fd_ = -1;
};

} // namespace orvanta::geoip
