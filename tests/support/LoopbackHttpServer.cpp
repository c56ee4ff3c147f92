// SPDX-License-Identifier: GPL-3.0-or-later
#include "LoopbackHttpServer.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cctype>
#include <cerrno>
#include <netinet/in.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace orvanta::test {
namespace {

// Bounds that keep a misbehaving client (or test) from running forever.
constexpr std::size_t kMaxConnections = 10000;
constexpr std::size_t kMaxRequestBytes = 1 << 20;
constexpr auto kReadLimit = std::chrono::seconds(5);
constexpr auto kSendLimit = std::chrono::seconds(30);

std::string Lower(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

const char* Reason(int status) {
    switch (status) {
    case 200:
        return "OK";
    case 301:
        return "Moved Permanently";
    case 302:
        return "Found";
    case 304:
        return "Not Modified";
    case 307:
        return "Temporary Redirect";
    case 308:
        return "Permanent Redirect";
    case 400:
        return "Bad Request";
    case 404:
        return "Not Found";
    case 429:
        return "Too Many Requests";
    case 500:
        return "Internal Server Error";
    case 503:
        return "Service Unavailable";
    default:
        return "Status";
    }
}

// Sends until done, the peer goes, the limit passes or the server stops: a
// client that stops reading must not keep the destructor waiting.
bool SendAll(int fd, const std::string& bytes, const std::atomic<bool>& stopping) {
    const auto deadline = std::chrono::steady_clock::now() + kSendLimit;
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        if (stopping || std::chrono::steady_clock::now() >= deadline)
            return false;
        pollfd p{fd, POLLOUT, 0};
        if (::poll(&p, 1, 50) <= 0)
            continue;
        const ssize_t n =
            ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR))
            continue;
        if (n <= 0)
            return false;
        sent += static_cast<std::size_t>(n);
    }
    return true;
}

// Reads until `done(buffer)` holds, the peer closes, the limit passes or the
// server stops. False when the request did not arrive whole.
template <typename Done>
bool ReadUntil(int fd, std::string& buffer, const std::atomic<bool>& stopping, Done done) {
    const auto deadline = std::chrono::steady_clock::now() + kReadLimit;
    char chunk[8192];
    while (!done(buffer)) {
        if (stopping || buffer.size() > kMaxRequestBytes ||
            std::chrono::steady_clock::now() >= deadline)
            return false;
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 50) <= 0)
            continue;
        const ssize_t n = ::recv(fd, chunk, sizeof chunk, 0);
        if (n <= 0)
            return false;
        buffer.append(chunk, static_cast<std::size_t>(n));
    }
    return true;
}

bool ParseHead(std::string_view head, HttpExchange& out) {
    const auto lineEnd = head.find("\r\n");
    const std::string_view requestLine = head.substr(0, lineEnd);
    const auto sp1 = requestLine.find(' ');
    const auto sp2 = requestLine.find(' ', sp1 == std::string_view::npos ? 0 : sp1 + 1);
    if (sp1 == std::string_view::npos || sp2 == std::string_view::npos)
        return false;
    out.method = std::string(requestLine.substr(0, sp1));
    out.target = std::string(requestLine.substr(sp1 + 1, sp2 - sp1 - 1));
    std::size_t pos = lineEnd == std::string_view::npos ? head.size() : lineEnd + 2;
    while (pos < head.size()) {
        auto end = head.find("\r\n", pos);
        if (end == std::string_view::npos)
            end = head.size();
        const std::string_view line = head.substr(pos, end - pos);
        const auto colon = line.find(':');
        if (colon != std::string_view::npos) {
            std::string_view value = line.substr(colon + 1);
            while (!value.empty() && value.front() == ' ')
                value.remove_prefix(1);
            out.headers.emplace_back(Lower(line.substr(0, colon)), std::string(value));
        }
        pos = end + 2;
    }
    return true;
}

} // namespace

std::string HttpExchange::Header(std::string_view name) const {
    const std::string wanted = Lower(name);
    for (const auto& [key, value] : headers)
        if (key == wanted)
            return value;
    return {};
}

LoopbackHttpServer::LoopbackHttpServer(Handler handler, std::string bindAddress)
    : handler_(std::move(handler)), address_(std::move(bindAddress)) {
    listenFd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listenFd_ < 0)
        throw std::runtime_error("LoopbackHttpServer: socket failed");
    const int on = 1;
    ::setsockopt(listenFd_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    if (::inet_pton(AF_INET, address_.c_str(), &addr.sin_addr) != 1 ||
        (ntohl(addr.sin_addr.s_addr) >> 24) != 127) {
        ::close(listenFd_);
        throw std::runtime_error("LoopbackHttpServer: not a loopback address: " + address_);
    }
    socklen_t len = sizeof addr;
    if (::bind(listenFd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        ::listen(listenFd_, 64) != 0 ||
        ::getsockname(listenFd_, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
        ::close(listenFd_);
        throw std::runtime_error("LoopbackHttpServer: cannot listen on " + address_);
    }
    port_ = ntohs(addr.sin_port);
    acceptor_ = std::thread([this] { AcceptLoop(); });
}

LoopbackHttpServer::~LoopbackHttpServer() {
    stopping_ = true;
    acceptor_.join();
    for (std::thread& t : connections_)
        t.join();
    ::close(listenFd_);
}

std::string LoopbackHttpServer::BaseUrl() const {
    return "http://" + address_ + ":" + std::to_string(port_);
}

std::vector<HttpExchange> LoopbackHttpServer::Requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

std::size_t LoopbackHttpServer::RequestCount() const {
    std::lock_guard lock(mutex_);
    return requests_.size();
}

void LoopbackHttpServer::AcceptLoop() {
    while (!stopping_ && connections_.size() < kMaxConnections) {
        pollfd p{listenFd_, POLLIN, 0};
        if (::poll(&p, 1, 50) <= 0)
            continue;
        const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd >= 0)
            connections_.emplace_back([this, fd] { Serve(fd); });
    }
}

bool LoopbackHttpServer::SleepUnlessStopping(std::chrono::milliseconds duration) const {
    const auto until = std::chrono::steady_clock::now() + duration;
    while (std::chrono::steady_clock::now() < until) {
        if (stopping_)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

void LoopbackHttpServer::Serve(int fd) {
    std::string buffer;
    HttpExchange exchange;
    std::size_t headEnd = std::string::npos;
    const bool gotHead = ReadUntil(fd, buffer, stopping_, [&](const std::string& b) {
        headEnd = b.find("\r\n\r\n");
        return headEnd != std::string::npos;
    });
    if (!gotHead || !ParseHead(std::string_view(buffer).substr(0, headEnd), exchange)) {
        ::close(fd);
        return;
    }
    std::size_t length = 0;
    try {
        const std::string declared = exchange.Header("content-length");
        length = declared.empty() ? 0 : std::stoul(declared);
    } catch (const std::exception&) {
        length = 0;
    }
    const std::size_t bodyStart = headEnd + 4;
    ReadUntil(fd, buffer, stopping_, [&](const std::string& b) {
        return b.size() >= bodyStart + std::min(length, kMaxRequestBytes);
    });
    exchange.body = buffer.substr(std::min(bodyStart, buffer.size()), length);

    HttpReply reply;
    {
        std::lock_guard lock(mutex_);
        requests_.push_back(exchange);
        reply = handler_(exchange);
    }
    if (!reply.dropConnection && SleepUnlessStopping(reply.delay)) {
        std::string out =
            "HTTP/1.1 " + std::to_string(reply.status) + " " + Reason(reply.status) + "\r\n";
        bool hasLength = false;
        for (const auto& [name, value] : reply.headers) {
            hasLength = hasLength || Lower(name) == "content-length";
            out += name + ": " + value + "\r\n";
        }
        if (!hasLength)
            out += "Content-Length: " + std::to_string(reply.body.size()) + "\r\n";
        out += "Connection: close\r\n\r\n";
        if (exchange.method != "HEAD")
            out += reply.body;
        SendAll(fd, out, stopping_);
        ::shutdown(fd, SHUT_WR);
    }
    ::close(fd);
}

} // namespace orvanta::test
