// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A WHOIS server on a loopback address for tests (127.0.0.1 unless told
// otherwise): it listens on a free or a given port, serves a fixed number of
// connections on its own thread with a scripted behaviour, and records the
// query line and all the bytes each connection sent it. Every wait is
// bounded, and the destructor stops and joins the thread.
//
//     auto root = LoopbackWhoisServer::Answering("127.0.0.1", 0, "refer: 127.0.0.2\n");
//     auto registry = LoopbackWhoisServer::Answering("127.0.0.2", root.Port(), "...");

#include <atomic>
#include <chrono>
#include <functional>
#include <limits>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace orvanta::test {

class WhoisConnection {
public:
    using QueryRecorder = std::function<void(const std::string&)>;

    WhoisConnection(int fd, const std::atomic<bool>& stopping, QueryRecorder recordQuery = {})
        : fd_(fd), stopping_(stopping), recordQuery_(std::move(recordQuery)) {}

    // Reads until CR LF has arrived (or EOF, or `limit`); returns all read.
    // The first call hands what it read to the query recorder.
    std::string ReadQuery(std::chrono::milliseconds limit = std::chrono::seconds(5));
    // Reads until the client closes its sending side (or `limit`).
    std::string ReadToEnd(std::chrono::milliseconds limit = std::chrono::seconds(5));
    // Sends all of `bytes`; false once the client is gone.
    bool Send(const std::string& bytes);
    // Ends our sending side; the client reads end-of-stream.
    void ShutdownSend();
    // Closes with a TCP reset instead of an orderly close.
    void Reset();
    // Waits until the client closes or the server is stopping (or `limit`).
    void HoldOpen(std::chrono::milliseconds limit = std::chrono::seconds(10));
    // Does nothing at all (reads nothing) for `limit` or until stopping.
    void Idle(std::chrono::milliseconds limit);
    bool Stopping() const { return stopping_.load(); }

    const std::string& Received() const { return received_; }

private:
    bool ReadSome(std::chrono::milliseconds wait);

    int fd_;
    const std::atomic<bool>& stopping_;
    QueryRecorder recordQuery_;
    std::string received_;
    bool eof_ = false;
};

class LoopbackWhoisServer {
public:
    using Behaviour = std::function<void(WhoisConnection&)>;

    // For servers that answer whoever comes until they are destroyed.
    static constexpr int kUntilStopped = std::numeric_limits<int>::max();

    // Serves `connections` connections, one after the other, on `address`
    // (a 127.x.y.z address) and `port` (0: a free one). Throws when it
    // cannot listen there.
    explicit LoopbackWhoisServer(Behaviour behaviour, int connections = 1,
                                 const std::string& address = "127.0.0.1", int port = 0);
    ~LoopbackWhoisServer();
    LoopbackWhoisServer(const LoopbackWhoisServer&) = delete;
    LoopbackWhoisServer& operator=(const LoopbackWhoisServer&) = delete;

    int Port() const { return port_; }
    // Bytes each served connection sent, in order of arrival.
    std::vector<std::string> Received() const;
    // The query each connection sent, recorded as soon as it was read, so
    // it is there once the client has had its answer.
    std::vector<std::string> Queries() const;
    // Waits (bounded) until `count` connections have been served.
    bool WaitServed(int count, std::chrono::milliseconds limit = std::chrono::seconds(10)) const;

    // The usual behaviour: read the query, send `answer`, close.
    static Behaviour Answer(std::string answer);
    // A server giving every connection `answer` until it is destroyed.
    static LoopbackWhoisServer Answering(const std::string& address, int port, std::string answer);

private:
    void Run(Behaviour behaviour, int connections);

    int listenFd_ = -1;
    int port_ = 0;
    std::atomic<bool> stopping_{false};
    mutable std::mutex mutex_;
    std::vector<std::string> received_;
    std::vector<std::string> queries_;
    std::thread thread_;
};

// A loopback port with nothing listening on it.
int UnusedLoopbackPort();

// A socket listening on a free loopback port (set in `port`) that nobody
// accepts on, with the given backlog.
int ListeningLoopbackSocket(int& port, int backlog);
// Starts a connection to the loopback `port` without waiting for it.
int ConnectNonBlocking(int port);
void CloseSocket(int fd);

} // namespace orvanta::test
