// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A small blocking HTTP client for the program's few downloads (registration
// data, database updates). It only talks https, except plain http to the
// loopback host that tests run their servers on; certificates are verified
// against the system's store; redirects, time and size are all bounded, so
// no answer can keep a caller waiting or make it hold more than it asked for.

#include <chrono>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace orvanta::http {

struct Limits {
    std::chrono::milliseconds connectTimeout{10000};
    std::chrono::milliseconds totalTimeout{30000};
    std::uint64_t maxBytes = 4u << 20;
    int maxRedirects = 3;
};

struct Request {
    std::string url;
    std::vector<std::string> headers; // extra request headers, "Name: value"
    Limits limits;
    bool decodeContent = true; // Accept-Encoding with transparent decoding
    // Called as bytes arrive (total 0 when unknown); return false to cancel.
    std::function<bool(std::uint64_t received, std::uint64_t total)> onProgress;
};

struct Response {
    long status = 0;
    std::string body;
    std::string url;                                          // the final address, after redirects
    std::vector<std::pair<std::string, std::string>> headers; // names lower-case

    // The last value of the header `name` (any case); "" when absent.
    std::string Header(std::string_view name) const;
};

class HttpError : public std::runtime_error {
public:
    enum class Kind { RefusedAddress, Network, Timeout, TooLarge, TooManyRedirects, Cancelled };
    HttpError(Kind kind, const std::string& message) : std::runtime_error(message), kind_(kind) {}
    Kind kind() const noexcept { return kind_; }

private:
    Kind kind_;
};

// Any HTTP status comes back in the response (404, 429, 500 are answers,
// not errors); a transport failure throws HttpError with a message that
// names the address.
Response Fetch(const Request& request);

// True for https addresses and for http to 127.0.0.0/8, localhost or [::1];
// otherwise false with the reason in `why`.
bool IsPermittedUrl(std::string_view url, std::string* why = nullptr);

// "Orvanta/<version>", sent with every request.
std::string UserAgent();

} // namespace orvanta::http
