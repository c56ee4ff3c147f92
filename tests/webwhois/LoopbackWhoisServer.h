#pragma once
// A WHOIS server on a loopback address for tests: answers each connection
// with a fixed text and records the query lines it received. Runs on its
// own thread, serves connections one at a time, and stops when destroyed.

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class LoopbackWhoisServer {
public:
    // Listens on `address` (127.x.y.z) and `port` (0: any free port).
    LoopbackWhoisServer(const std::string& address, std::uint16_t port, std::string answer);
    ~LoopbackWhoisServer();
    LoopbackWhoisServer(const LoopbackWhoisServer&) = delete;
    LoopbackWhoisServer& operator=(const LoopbackWhoisServer&) = delete;

    bool listening() const { return listenFd_ >= 0; }
    std::uint16_t port() const { return port_; }
    std::vector<std::string> queries() const;

private:
    void serve();
    void answerOne(int fd);

    std::string answer_;
    int listenFd_ = -1;
    std::uint16_t port_ = 0;
    std::atomic<bool> stop_{false};
    mutable std::mutex mutex_;
    std::vector<std::string> queries_;
    std::thread thread_;
};
