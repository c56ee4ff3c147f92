// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// An HTTP/1.1 server on a loopback address for tests: a thread per
// connection, one request per connection ("Connection: close"), answers from
// a handler, and a record of every request. Every wait is bounded, and the
// destructor stops and joins all threads. The handler is called under a lock,
// one request at a time; a reply's delay is slept outside it.
//
//     LoopbackHttpServer server([](const HttpExchange& e) {
//         return HttpReply{200, {{"Content-Type", "text/plain"}}, "hello " + e.target};
//     });
//     Fetch(server.BaseUrl() + "/x");

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

namespace orvanta::test {

struct HttpExchange {
    std::string method;
    std::string target; // as sent: path and query
    std::string body;
    std::vector<std::pair<std::string, std::string>> headers; // names lower-case

    std::string Header(std::string_view name) const; // "" when absent
};

struct HttpReply {
    int status = 200;
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body;
    std::chrono::milliseconds delay{0}; // stall before answering
    bool dropConnection = false;        // close without any answer
};

class LoopbackHttpServer {
public:
    using Handler = std::function<HttpReply(const HttpExchange&)>;

    explicit LoopbackHttpServer(Handler handler, std::string bindAddress = "127.0.0.1");
    ~LoopbackHttpServer();
    LoopbackHttpServer(const LoopbackHttpServer&) = delete;
    LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

    std::uint16_t Port() const { return port_; }
    std::string BaseUrl() const; // "http://ADDRESS:PORT"
    std::vector<HttpExchange> Requests() const;
    std::size_t RequestCount() const;

private:
    void AcceptLoop();
    void Serve(int fd);
    bool SleepUnlessStopping(std::chrono::milliseconds duration) const;

    Handler handler_;
    std::string address_;
    int listenFd_ = -1;
    std::uint16_t port_ = 0;
    std::atomic<bool> stopping_{false};
    mutable std::mutex mutex_;
    std::vector<HttpExchange> requests_;
    std::vector<std::thread> connections_;
    std::thread acceptor_;
};

} // namespace orvanta::test
