// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// How long a fetched file may be reused, from the answer's caching headers
// (Cache-Control max-age / no-cache / no-store, else Expires against Date,
// less Age), at most a given maximum, which is also the lifetime when the
// answer says nothing.

#include "http/HttpClient.h"

#include <chrono>
#include <optional>
#include <string_view>

namespace orvanta::rdap {

struct Freshness {
    bool store = true; // false for "no-store"
    std::chrono::seconds lifetime{0};

    static Freshness Of(const http::Response& response, std::chrono::system_clock::time_point now,
                        std::chrono::seconds maximum);
};

// An HTTP date ("Sun, 06 Nov 1994 08:49:37 GMT"); nothing when malformed.
std::optional<std::chrono::system_clock::time_point> ParseHttpDate(std::string_view text);

} // namespace orvanta::rdap
