// SPDX-License-Identifier: GPL-3.0-or-later
#include "net/TIdWhois.h"

#include "net/ESocketError.h"
#include "net/NameResolution.h"
#include "net/SocketErrors.h"
#include "net/SocketHandle.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cctype>
#include <cerrno>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <vector>

namespace orvanta::net {

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

bool IsLocalhostName(const std::string& host) {
    constexpr std::string_view kName = "localhost";
    if (host.size() != kName.size()) {
        return false;
    }
    for (std::size_t i = 0; i < kName.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(host[i])) != kName[i]) {
            return false;
        }
    }
    return true;
}

std::uint32_t ServerAddress(const std::string& host) {
    std::uint32_t address = 0;
    if (ParseDottedQuad(host, &address)) {
        return address;
    }
    if (IsLocalhostName(host)) {
        return htonl(INADDR_LOOPBACK);
    }
    const Ipv4Lookup found = LookupIpv4(host);
    if (!found.address) {
        throw ESocketError(found.error);
    }
    return *found.address;
}

int RemainingMs(Clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<milliseconds>(deadline - Clock::now()).count();
    return static_cast<int>(std::clamp<long long>(left, 0, 1'000'000'000));
}

// Waits for `events` on `fd` until `deadline`. Returns the poll revents, 0
// on time-out; -1 with errno set on failure.
int WaitFor(int fd, short events, Clock::time_point deadline) {
    for (;;) {
        pollfd p{fd, events, 0};
        const int rc = ::poll(&p, 1, RemainingMs(deadline));
        if (rc > 0) {
            return p.revents;
        }
        if (rc == 0) {
            return 0;
        }
        if (errno != EINTR) {
            return -1;
        }
    }
}

SocketHandle Connect(std::uint32_t address, int port, milliseconds limit) {
    SocketHandle sock(::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (!sock.IsOpen()) {
        throw ESocketError(WinsockCodeFromErrno(errno));
    }
    sockaddr_in sin{};
    sin.sin_family = AF_INET;
    sin.sin_port = htons(static_cast<std::uint16_t>(port));
    sin.sin_addr.s_addr = address;
    if (::connect(sock.Get(), reinterpret_cast<const sockaddr*>(&sin), sizeof sin) == 0) {
        return sock;
    }
    if (errno != EINPROGRESS && errno != EINTR) {
        throw ESocketError(WinsockCodeFromErrno(errno));
    }
    const int ready = WaitFor(sock.Get(), POLLOUT, Clock::now() + limit);
    if (ready == 0) {
        throw ESocketError(kWsaTimedOut);
    }
    if (ready < 0) {
        throw ESocketError(WinsockCodeFromErrno(errno));
    }
    int err = 0;
    socklen_t len = sizeof err;
    if (::getsockopt(sock.Get(), SOL_SOCKET, SO_ERROR, &err, &len) != 0) {
        err = errno;
    }
    if (err != 0) {
        throw ESocketError(WinsockCodeFromErrno(err));
    }
    return sock;
}

// Every byte of `line` goes out, in as many sends as the kernel wants. A
// peer that stops reading would block us; the idle and total bounds apply.
void SendAll(int fd, const std::string& line, const WhoisBounds& bounds,
             Clock::time_point started) {
    std::size_t sent = 0;
    while (sent < line.size()) {
        const ssize_t n = ::send(fd, line.data() + sent, line.size() - sent, MSG_NOSIGNAL);
        if (n > 0) {
            sent += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
            throw ESocketError(WinsockCodeFromErrno(errno));
        }
        const auto deadline = std::min(Clock::now() + bounds.idle, started + bounds.total);
        const int ready = WaitFor(fd, POLLOUT, deadline);
        if (ready == 0) {
            throw ESocketError(kWsaTimedOut);
        }
        if (ready < 0) {
            throw ESocketError(WinsockCodeFromErrno(errno));
        }
    }
}

// Reads until the server closes, a read error, or a bound. Sets `timedOut`
// when a time bound ended the reading.
std::string ReadReply(int fd, const WhoisBounds& bounds, Clock::time_point started,
                      bool& timedOut) {
    std::string reply;
    std::vector<char> chunk(TIdWhois::kReceiveChunk);
    auto lastByte = Clock::now();
    timedOut = false;
    while (reply.size() < bounds.maxReply) {
        const auto now = Clock::now();
        const auto deadline = std::min(lastByte + bounds.idle, started + bounds.total);
        if (now >= deadline) {
            timedOut = true;
            break;
        }
        const int ready = WaitFor(fd, POLLIN, std::min(deadline, now + TIdWhois::kWaitSlice));
        if (ready < 0) {
            break;
        }
        if (ready == 0) {
            continue;
        }
        const std::size_t room = std::min(chunk.size(), bounds.maxReply - reply.size());
        const ssize_t n = ::recv(fd, chunk.data(), room, 0);
        if (n > 0) {
            reply.append(chunk.data(), static_cast<std::size_t>(n));
            lastByte = Clock::now();
        } else if (n == 0) {
            break;
        } else if (errno != EINTR && errno != EAGAIN && errno != EWOULDBLOCK) {
            break; // reset and the like: keep what arrived
        }
    }
    return reply;
}

// Marks the client connected for the lifetime of one query.
class ConnectedFlag {
public:
    explicit ConnectedFlag(std::atomic<bool>& flag) : flag_(flag) {}
    ~ConnectedFlag() { flag_.store(false); }
    ConnectedFlag(const ConnectedFlag&) = delete;
    ConnectedFlag& operator=(const ConnectedFlag&) = delete;

private:
    std::atomic<bool>& flag_;
};

// Step 7 on every path out of the exchange, thrown or not.
class Disconnector {
public:
    explicit Disconnector(SocketHandle& sock) : sock_(sock) {}
    ~Disconnector() { sock_.ShutdownSendAndClose(); }
    Disconnector(const Disconnector&) = delete;
    Disconnector& operator=(const Disconnector&) = delete;

private:
    SocketHandle& sock_;
};

} // namespace

std::string TIdWhois::Query(const std::string& text) {
    if (connected_.load()) {
        throw EWhoisError("Already connected.");
    }
    const std::string host = host_;
    const int port = port_;
    const WhoisBounds bounds = bounds_;
    if (host.empty() || port == 0) {
        throw EWhoisError("");
    }
    if (port < 0 || port > 65535) {
        throw ESocketError(kWsaInvalidArgument);
    }
    const std::uint32_t address = ServerAddress(host);

    milliseconds connectLimit = bounds.connect;
    if (connectTimeout_ > 0) {
        connectLimit = std::min(connectLimit, milliseconds(connectTimeout_));
    }
    // Claimed only now: the connect is the first step that holds a socket.
    if (connected_.exchange(true)) {
        throw EWhoisError("Already connected.");
    }
    ConnectedFlag flag(connected_);
    SocketHandle sock = Connect(address, port, connectLimit);
    Disconnector disconnect(sock);

    const auto started = Clock::now();
    std::string line = text;
    line += "\r\n";
    SendAll(sock.Get(), line, bounds, started);

    bool timedOut = false;
    std::string reply = ReadReply(sock.Get(), bounds, started, timedOut);
    if (timedOut && reply.empty()) {
        throw ESocketError(kWsaTimedOut);
    }
    return reply;
}

} // namespace orvanta::net
