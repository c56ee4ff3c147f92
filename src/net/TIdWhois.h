// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One WHOIS exchange per Query (RFC 3912): connect to Host:Port over IPv4,
// send the query line, read until the server closes, close our side.
//
// The client blocks its caller, as the windows expect. Because it talks to
// servers nobody here controls, every wait is bounded (see WhoisBounds):
// a server that never answers or never closes cannot hold the caller for
// ever. No globals: separate clients may run on separate threads.

#include <atomic>
#include <chrono>
#include <cstddef>
#include <string>
#include <utility>

namespace orvanta::net {

// Limits on one query. The defaults are generous for the slowest real
// registry; tests lower them to check the behaviour at the limit quickly.
struct WhoisBounds {
    static constexpr std::chrono::milliseconds kConnectLimit{30'000};
    static constexpr std::chrono::milliseconds kIdleLimit{30'000};
    static constexpr std::chrono::milliseconds kTotalLimit{120'000};
    static constexpr std::size_t kMaxReplyBytes = 16u * 1024u * 1024u;

    std::chrono::milliseconds connect = kConnectLimit; // connect attempt
    std::chrono::milliseconds idle = kIdleLimit;       // no byte sent or received for this long
    std::chrono::milliseconds total = kTotalLimit;     // since the query started going out
    std::size_t maxReply = kMaxReplyBytes;             // reading stops at this many bytes
};

class TIdWhois {
public:
    static constexpr const char* kDefaultHost = "whois.internic.net";
    static constexpr int kDefaultPort = 43;
    // Pace of the reading loop and size of each receive.
    static constexpr std::chrono::milliseconds kWaitSlice{250};
    static constexpr std::size_t kReceiveChunk = 32768;

    TIdWhois() = default;
    TIdWhois(const TIdWhois&) = delete;
    TIdWhois& operator=(const TIdWhois&) = delete;

    const std::string& Host() const { return host_; }
    void SetHost(std::string host) { host_ = std::move(host); }
    int Port() const { return port_; }
    void SetPort(int port) { port_ = port; }

    // 0 (the default) leaves connecting to the connect bound alone; a
    // positive value in milliseconds shortens it.
    int ConnectTimeout() const { return connectTimeout_; }
    void SetConnectTimeout(int ms) { connectTimeout_ = ms; }
    // Kept for its settings value; the query paces its own waits.
    int ReadTimeout() const { return readTimeout_; }
    void SetReadTimeout(int ms) { readTimeout_ = ms; }

    const WhoisBounds& Bounds() const { return bounds_; }
    void SetBounds(const WhoisBounds& bounds) { bounds_ = bounds; }

    bool Connected() const { return connected_.load(); }

    // Sends `text` plus CR LF and returns the reply bytes exactly as they
    // arrived. Throws EWhoisError ("Already connected.", or an empty message
    // for an empty Host or Port 0) and ESocketError for resolver, connect
    // and send failures. Read errors end the reply without an error; a read
    // bound reached before any byte arrived fails with 10060.
    std::string Query(const std::string& text);

private:
    std::string host_ = kDefaultHost;
    int port_ = kDefaultPort;
    int connectTimeout_ = 0;
    int readTimeout_ = -1;
    WhoisBounds bounds_;
    std::atomic<bool> connected_{false};
};

} // namespace orvanta::net
