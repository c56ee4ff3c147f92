// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Owner of one socket descriptor: closed on every path, never copied.

namespace orvanta::net {

class SocketHandle {
public:
    SocketHandle() = default;
    explicit SocketHandle(int fd) noexcept : fd_(fd) {}
    ~SocketHandle() { Close(); }

    SocketHandle(const SocketHandle&) = delete;
    SocketHandle& operator=(const SocketHandle&) = delete;
    SocketHandle(SocketHandle&& other) noexcept : fd_(other.Release()) {}
    SocketHandle& operator=(SocketHandle&& other) noexcept;

    int Get() const noexcept { return fd_; }
    bool IsOpen() const noexcept { return fd_ >= 0; }
    int Release() noexcept;
    void Close() noexcept;

    // Ends our sending direction (the peer reads end-of-stream), then
    // closes. Errors are of no interest at this point: the query is over.
    void ShutdownSendAndClose() noexcept;

private:
    int fd_ = -1;
};

} // namespace orvanta::net
