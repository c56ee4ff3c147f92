// SPDX-License-Identifier: GPL-3.0-or-later
#include "rdap/RdapFetch.h"

#include "rdap/AnswerDecoder.h"

namespace orvanta::rdap {

http::Response FetchRdap(const std::string& url, const http::Limits& limits,
                         const std::atomic<bool>* cancel) {
    if (cancel != nullptr && cancel->load()) {
        throw http::HttpError(http::HttpError::Kind::Cancelled, url + ": cancelled");
    }
    http::Request request;
    request.url = url;
    request.headers = {std::string("Accept: ") + kRdapMediaType + ", application/json;q=0.9"};
    request.limits = limits;
    if (cancel != nullptr) {
        request.onProgress = [cancel](std::uint64_t, std::uint64_t) { return !cancel->load(); };
    }
    return http::Fetch(request);
}

std::string RetryAfterNote(const http::Response& response) {
    const std::string value = response.Header("retry-after");
    if (value.empty()) {
        return {};
    }
    return " (retry after " + AnswerDecoder::Bounded(value, 64) + ")";
}

} // namespace orvanta::rdap
