// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One GET of an RDAP address through the program's HTTP client, asking for
// RDAP's media type, and abandoned as soon as `cancel` is set.

#include "http/HttpClient.h"

#include <atomic>
#include <string>

namespace orvanta::rdap {

// The RDAP media type (RFC 7480).
inline constexpr const char* kRdapMediaType = "application/rdap+json";

// Throws http::HttpError as the client does (Kind::Cancelled once `cancel`
// is set); any HTTP status comes back in the response.
http::Response FetchRdap(const std::string& url, const http::Limits& limits,
                         const std::atomic<bool>* cancel);

// " (retry after N)" from a 429 answer's Retry-After, "" without one. The
// lookup reports it and never sleeps on it.
std::string RetryAfterNote(const http::Response& response);

} // namespace orvanta::rdap
