#include "LoopbackWhoisServer.h"

#include <arpa/inet.h>
#include <chrono>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

LoopbackWhoisServer::LoopbackWhoisServer(const std::string& address, std::uint16_t port,
                                         std::string answer)
    : answer_(std::move(answer)) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return;
    }
    const int yes = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(port);
    if (::inet_pton(AF_INET, address.c_str(), &addr.sin_addr) != 1 ||
        ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || ::listen(fd, 8) != 0) {
        ::close(fd);
        return;
    }
    socklen_t length = sizeof addr;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &length);
    port_ = ntohs(addr.sin_port);
    listenFd_ = fd;
    thread_ = std::thread([this] { serve(); });
}

LoopbackWhoisServer::~LoopbackWhoisServer() {
    stop_ = true;
    if (thread_.joinable()) {
        thread_.join();
    }
    if (listenFd_ >= 0) {
        ::close(listenFd_);
    }
}

std::vector<std::string> LoopbackWhoisServer::queries() const {
    std::lock_guard lock(mutex_);
    return queries_;
}

void LoopbackWhoisServer::serve() {
    while (!stop_) {
        pollfd waiting{listenFd_, POLLIN, 0};
        if (::poll(&waiting, 1, 50) <= 0) {
            continue;
        }
        const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd >= 0) {
            answerOne(fd);
            ::close(fd);
        }
    }
}

void LoopbackWhoisServer::answerOne(int fd) {
    // Read the query line, bounded in size and time.
    std::string query;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (query.find("\r\n") == std::string::npos && query.size() < 4096 &&
           std::chrono::steady_clock::now() < deadline && !stop_) {
        pollfd waiting{fd, POLLIN, 0};
        if (::poll(&waiting, 1, 50) <= 0) {
            continue;
        }
        char buffer[512];
        const ssize_t got = ::recv(fd, buffer, sizeof buffer, 0);
        if (got <= 0) {
            break;
        }
        query.append(buffer, static_cast<std::size_t>(got));
    }
    {
        std::lock_guard lock(mutex_);
        queries_.push_back(query);
    }
    std::size_t sent = 0;
    while (sent < answer_.size()) {
        const ssize_t put = ::send(fd, answer_.data() + sent, answer_.size() - sent, MSG_NOSIGNAL);
        if (put <= 0) {
            break;
        }
        sent += static_cast<std::size_t>(put);
    }
}
