// SPDX-License-Identifier: GPL-3.0-or-later
#include "net/SocketHandle.h"

#include <sys/socket.h>
#include <unistd.h>

namespace orvanta::net {

SocketHandle& SocketHandle::operator=(SocketHandle&& other) noexcept {
    if (this != &other) {
        Close();
        fd_ = other.Release();
    }
    return *this;
}

int SocketHandle::Release() noexcept {
    const int fd = fd_;
    fd_ = -1;
    return fd;
}

void SocketHandle::Close() noexcept {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

void SocketHandle::ShutdownSendAndClose() noexcept {
    if (fd_ >= 0) {
        ::shutdown(fd_, SHUT_WR);
        Close();
    }
}

} // namespace orvanta::net
