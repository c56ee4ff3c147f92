// SPDX-License-Identifier: GPL-3.0-or-later
#include "LoopbackWhoisServer.h"

#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace orvanta::test {

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// A socket bound to `address` and `wanted` (0: a free port); the bound port
// goes to `port`.
int BoundSocket(const std::string& address, int wanted, int& port) {
    if (wanted < 0 || wanted > 65535) {
        throw std::runtime_error("test server: bad port " + std::to_string(wanted));
    }
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        throw std::runtime_error("test server: socket failed");
    }
    if (wanted != 0) {
        // A fixed port may still hold closed connections of an earlier test.
        const int yes = 1;
        ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    }
    sockaddr_in sin{};
    sin.sin_family = AF_INET;
    sin.sin_port = htons(static_cast<std::uint16_t>(wanted));
    socklen_t len = sizeof sin;
    if (::inet_pton(AF_INET, address.c_str(), &sin.sin_addr) != 1 ||
        ::bind(fd, reinterpret_cast<sockaddr*>(&sin), sizeof sin) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&sin), &len) != 0) {
        ::close(fd);
        throw std::runtime_error("test server: cannot bind " + address + ":" +
                                 std::to_string(wanted));
    }
    port = ntohs(sin.sin_port);
    return fd;
}

int BoundLoopbackSocket(int& port) {
    return BoundSocket("127.0.0.1", 0, port);
}

int Ms(std::chrono::milliseconds d) {
    return static_cast<int>(d.count() < 0 ? 0 : d.count());
}

} // namespace

bool WhoisConnection::ReadSome(std::chrono::milliseconds wait) {
    pollfd p{fd_, POLLIN, 0};
    if (::poll(&p, 1, Ms(wait)) <= 0) {
        return false;
    }
    char buf[65536];
    const ssize_t n = ::recv(fd_, buf, sizeof buf, 0);
    if (n <= 0) {
        eof_ = true;
        return false;
    }
    received_.append(buf, static_cast<std::size_t>(n));
    return true;
}

std::string WhoisConnection::ReadQuery(std::chrono::milliseconds limit) {
    const auto end = Clock::now() + limit;
    while (!eof_ && !stopping_ && received_.find("\r\n") == std::string::npos &&
           Clock::now() < end) {
        ReadSome(50ms);
    }
    if (recordQuery_) {
        recordQuery_(received_);
        recordQuery_ = nullptr;
    }
    return received_;
}

std::string WhoisConnection::ReadToEnd(std::chrono::milliseconds limit) {
    const auto end = Clock::now() + limit;
    while (!eof_ && !stopping_ && Clock::now() < end) {
        ReadSome(50ms);
    }
    return received_;
}

bool WhoisConnection::Send(const std::string& bytes) {
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = ::send(fd_, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        sent += static_cast<std::size_t>(n);
    }
    return true;
}

void WhoisConnection::ShutdownSend() {
    ::shutdown(fd_, SHUT_WR);
}

void WhoisConnection::Reset() {
    linger l{1, 0};
    ::setsockopt(fd_, SOL_SOCKET, SO_LINGER, &l, sizeof l);
    ::close(fd_);
    fd_ = -1;
    eof_ = true;
}

void WhoisConnection::HoldOpen(std::chrono::milliseconds limit) {
    const auto end = Clock::now() + limit;
    while (fd_ >= 0 && !eof_ && !stopping_ && Clock::now() < end) {
        pollfd p{fd_, POLLIN, 0};
        if (::poll(&p, 1, 50) > 0) {
            char buf[4096];
            const ssize_t n = ::recv(fd_, buf, sizeof buf, MSG_PEEK);
            if (n <= 0) {
                eof_ = true;
            } else {
                ReadSome(0ms);
            }
        }
    }
}

void WhoisConnection::Idle(std::chrono::milliseconds limit) {
    const auto end = Clock::now() + limit;
    while (!stopping_ && Clock::now() < end) {
        std::this_thread::sleep_for(10ms);
    }
}

LoopbackWhoisServer::LoopbackWhoisServer(Behaviour behaviour, int connections,
                                         const std::string& address, int port) {
    listenFd_ = BoundSocket(address, port, port_);
    if (::listen(listenFd_, 8) != 0) {
        ::close(listenFd_);
        throw std::runtime_error("test server: listen failed");
    }
    thread_ = std::thread(
        [this, behaviour = std::move(behaviour), connections] { Run(behaviour, connections); });
}

LoopbackWhoisServer::~LoopbackWhoisServer() {
    stopping_ = true;
    thread_.join();
    ::close(listenFd_);
}

void LoopbackWhoisServer::Run(Behaviour behaviour, int connections) {
    const auto end = Clock::now() + 60s;
    for (int served = 0; served < connections && !stopping_ && Clock::now() < end;) {
        pollfd p{listenFd_, POLLIN, 0};
        if (::poll(&p, 1, 50) <= 0) {
            continue;
        }
        const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) {
            continue;
        }
        WhoisConnection connection(fd, stopping_, [this](const std::string& query) {
            std::lock_guard lock(mutex_);
            queries_.push_back(query);
        });
        behaviour(connection);
        // Collect what the client still sends before it closes, so that the
        // record holds every byte and our close never resets it.
        connection.ReadToEnd(2s);
        {
            std::lock_guard lock(mutex_);
            received_.push_back(connection.Received());
        }
        connection.Reset();
        ++served;
    }
}

std::vector<std::string> LoopbackWhoisServer::Received() const {
    std::lock_guard lock(mutex_);
    return received_;
}

std::vector<std::string> LoopbackWhoisServer::Queries() const {
    std::lock_guard lock(mutex_);
    return queries_;
}

bool LoopbackWhoisServer::WaitServed(int count, std::chrono::milliseconds limit) const {
    const auto end = Clock::now() + limit;
    while (Clock::now() < end) {
        {
            std::lock_guard lock(mutex_);
            if (static_cast<int>(received_.size()) >= count) {
                return true;
            }
        }
        std::this_thread::sleep_for(10ms);
    }
    return false;
}

LoopbackWhoisServer::Behaviour LoopbackWhoisServer::Answer(std::string answer) {
    return [answer = std::move(answer)](WhoisConnection& c) {
        c.ReadQuery();
        c.Send(answer);
        c.ShutdownSend();
    };
}

LoopbackWhoisServer LoopbackWhoisServer::Answering(const std::string& address, int port,
                                                   std::string answer) {
    return LoopbackWhoisServer(Answer(std::move(answer)), kUntilStopped, address, port);
}

int UnusedLoopbackPort() {
    int port = 0;
    ::close(BoundLoopbackSocket(port));
    return port;
}

int ListeningLoopbackSocket(int& port, int backlog) {
    const int fd = BoundLoopbackSocket(port);
    if (::listen(fd, backlog) != 0) {
        ::close(fd);
        throw std::runtime_error("test server: listen failed");
    }
    return fd;
}

int ConnectNonBlocking(int port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    sockaddr_in sin{};
    sin.sin_family = AF_INET;
    sin.sin_port = htons(static_cast<std::uint16_t>(port));
    sin.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    (void)::connect(fd, reinterpret_cast<sockaddr*>(&sin), sizeof sin);
    return fd;
}

void CloseSocket(int fd) {
    if (fd >= 0)
        ::close(fd);
}

} // namespace orvanta::test
