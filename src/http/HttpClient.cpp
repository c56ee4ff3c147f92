// SPDX-License-Identifier: GPL-3.0-or-later
#include "http/HttpClient.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cctype>
#include <curl/curl.h>
#include <memory>
#include <mutex>

namespace orvanta::http {
namespace {

// Response headers are small; a server that sends more is not one we talk to.
constexpr std::size_t kMaxHeaderBytes = 256 * 1024;

struct CurlGlobal {
    CurlGlobal() { curl_global_init(CURL_GLOBAL_DEFAULT); }
};

void InitCurlOnce() {
    static std::once_flag once;
    std::call_once(once, [] { static CurlGlobal global; });
}

struct EasyDeleter {
    void operator()(CURL* h) const { curl_easy_cleanup(h); }
};
struct UrlDeleter {
    void operator()(CURLU* h) const { curl_url_cleanup(h); }
};
struct ListDeleter {
    void operator()(curl_slist* l) const { curl_slist_free_all(l); }
};
struct CurlString {
    char* text = nullptr;
    ~CurlString() { curl_free(text); }
};

std::string Lower(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

std::string UrlPart(CURLU* url, CURLUPart part) {
    CurlString value;
    if (curl_url_get(url, part, &value.text, 0) != CURLUE_OK || value.text == nullptr)
        return {};
    return value.text;
}

struct ParsedUrl {
    std::string scheme;
    std::string host;
};

bool Parse(std::string_view text, ParsedUrl& out) {
    std::unique_ptr<CURLU, UrlDeleter> url(curl_url());
    const std::string copy(text);
    if (!url || copy.find_first_of(" \t\r\n") != std::string::npos ||
        curl_url_set(url.get(), CURLUPART_URL, copy.c_str(), 0) != CURLUE_OK)
        return false;
    out.scheme = Lower(UrlPart(url.get(), CURLUPART_SCHEME));
    out.host = Lower(UrlPart(url.get(), CURLUPART_HOST));
    return !out.host.empty();
}

bool IsLoopbackHost(const std::string& host) {
    if (host == "localhost" || host == "[::1]")
        return true;
    in_addr address{};
    return inet_pton(AF_INET, host.c_str(), &address) == 1 && (ntohl(address.s_addr) >> 24) == 127;
}

std::string Resolve(const std::string& base, const std::string& location) {
    std::unique_ptr<CURLU, UrlDeleter> url(curl_url());
    if (!url || curl_url_set(url.get(), CURLUPART_URL, base.c_str(), 0) != CURLUE_OK ||
        curl_url_set(url.get(), CURLUPART_URL, location.c_str(), 0) != CURLUE_OK)
        return {};
    return UrlPart(url.get(), CURLUPART_URL);
}

struct Transfer {
    const Request* request = nullptr;
    Response response;
    std::size_t headerBytes = 0;
    bool tooLarge = false;
    bool cancelled = false;
};

size_t OnBody(char* data, size_t size, size_t count, void* user) {
    auto* t = static_cast<Transfer*>(user);
    const size_t n = size * count;
    if (t->response.body.size() + n > t->request->limits.maxBytes) {
        t->tooLarge = true;
        return 0;
    }
    t->response.body.append(data, n);
    return n;
}

size_t OnHeader(char* data, size_t size, size_t count, void* user) {
    auto* t = static_cast<Transfer*>(user);
    const size_t n = size * count;
    t->headerBytes += n;
    if (t->headerBytes > kMaxHeaderBytes) {
        t->tooLarge = true;
        return 0;
    }
    std::string_view line(data, n);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
        line.remove_suffix(1);
    if (line.starts_with("HTTP/")) { // a new response (after an interim one)
        t->response.headers.clear();
        return n;
    }
    const auto colon = line.find(':');
    if (colon == std::string_view::npos || colon == 0)
        return n;
    std::string_view value = line.substr(colon + 1);
    while (!value.empty() && (value.front() == ' ' || value.front() == '\t'))
        value.remove_prefix(1);
    while (!value.empty() && (value.back() == ' ' || value.back() == '\t'))
        value.remove_suffix(1);
    t->response.headers.emplace_back(Lower(line.substr(0, colon)), std::string(value));
    return n;
}

int OnProgress(void* user, curl_off_t total, curl_off_t now, curl_off_t, curl_off_t) {
    auto* t = static_cast<Transfer*>(user);
    if (!t->request->onProgress)
        return 0;
    if (!t->request->onProgress(static_cast<std::uint64_t>(std::max<curl_off_t>(now, 0)),
                                static_cast<std::uint64_t>(std::max<curl_off_t>(total, 0)))) {
        t->cancelled = true;
        return 1;
    }
    return 0;
}

std::string Seconds(std::chrono::milliseconds ms) {
    const auto whole = ms.count() / 1000;
    const auto tenths = (ms.count() % 1000) / 100;
    // Appended piecewise: GCC 12 warns falsely (-Wrestrict) on "." + string at -O3.
    std::string text = std::to_string(whole);
    if (tenths != 0) {
        text += '.';
        text += std::to_string(tenths);
    }
    text += " s";
    return text;
}

std::string Bytes(std::uint64_t n) {
    if (n >= (1u << 20) && n % (1u << 20) == 0)
        return std::to_string(n >> 20) + " MiB";
    return std::to_string(n) + " bytes";
}

Response PerformOne(const Request& request, const std::string& url, bool loopback,
                    std::chrono::milliseconds timeLeft) {
    std::unique_ptr<CURL, EasyDeleter> easy(curl_easy_init());
    if (!easy)
        throw HttpError(HttpError::Kind::Network, url + ": cannot start a transfer");
    std::unique_ptr<curl_slist, ListDeleter> headers;
    for (const std::string& h : request.headers) {
        curl_slist* grown = curl_slist_append(headers.get(), h.c_str());
        if (grown == nullptr)
            throw HttpError(HttpError::Kind::Network, url + ": out of memory");
        headers.release();
        headers.reset(grown);
    }
    Transfer transfer;
    transfer.request = &request;
    char error[CURL_ERROR_SIZE] = {};
    const std::string agent = UserAgent();
    CURL* h = easy.get();
    curl_easy_setopt(h, CURLOPT_URL, url.c_str());
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, loopback ? "http,https" : "https");
    curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(h, CURLOPT_SSL_VERIFYHOST, 2L);
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS,
                     static_cast<long>(std::min(request.limits.connectTimeout, timeLeft).count()));
    curl_easy_setopt(h, CURLOPT_TIMEOUT_MS, static_cast<long>(timeLeft.count()));
    curl_easy_setopt(h, CURLOPT_MAXFILESIZE_LARGE,
                     static_cast<curl_off_t>(request.limits.maxBytes));
    curl_easy_setopt(h, CURLOPT_USERAGENT, agent.c_str());
    curl_easy_setopt(h, CURLOPT_HTTPHEADER, headers.get());
    if (request.decodeContent)
        curl_easy_setopt(h, CURLOPT_ACCEPT_ENCODING, "");
    if (loopback) // a proxy has no business with the machine's own servers
        curl_easy_setopt(h, CURLOPT_PROXY, "");
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, OnBody);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(h, CURLOPT_HEADERFUNCTION, OnHeader);
    curl_easy_setopt(h, CURLOPT_HEADERDATA, &transfer);
    curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, OnProgress);
    curl_easy_setopt(h, CURLOPT_XFERINFODATA, &transfer);
    curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(h, CURLOPT_ERRORBUFFER, error);

    const CURLcode code = curl_easy_perform(h);
    if (code == CURLE_OK) {
        curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &transfer.response.status);
        return std::move(transfer.response);
    }
    if (transfer.cancelled || code == CURLE_ABORTED_BY_CALLBACK)
        throw HttpError(HttpError::Kind::Cancelled, url + ": cancelled");
    if (transfer.tooLarge || code == CURLE_FILESIZE_EXCEEDED)
        throw HttpError(HttpError::Kind::TooLarge,
                        url + ": the answer is larger than " + Bytes(request.limits.maxBytes));
    if (code == CURLE_OPERATION_TIMEDOUT) {
        // Both bounds end in the same code; a transfer that never connected
        // ran into the connect bound.
        curl_off_t connected = 0;
        curl_easy_getinfo(h, CURLINFO_CONNECT_TIME_T, &connected);
        if (connected == 0)
            throw HttpError(HttpError::Kind::Timeout,
                            url + ": no connection within " +
                                Seconds(std::min(request.limits.connectTimeout, timeLeft)));
        throw HttpError(HttpError::Kind::Timeout,
                        url + ": no complete answer within " + Seconds(timeLeft));
    }
    const std::string reason = error[0] != '\0' ? error : curl_easy_strerror(code);
    throw HttpError(HttpError::Kind::Network, url + ": " + reason);
}

bool IsRedirect(long status) {
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

} // namespace

std::string Response::Header(std::string_view name) const {
    const std::string wanted = Lower(name);
    for (auto it = headers.rbegin(); it != headers.rend(); ++it)
        if (it->first == wanted)
            return it->second;
    return {};
}

std::string UserAgent() {
    return "Orvanta/" ORVANTA_VERSION;
}

bool IsPermittedUrl(std::string_view url, std::string* why) {
    InitCurlOnce();
    auto refuse = [why](std::string reason) {
        if (why != nullptr)
            *why = std::move(reason);
        return false;
    };
    ParsedUrl parsed;
    if (!Parse(url, parsed))
        return refuse("not a valid web address");
    if (parsed.scheme == "https")
        return true;
    if (parsed.scheme == "http" && IsLoopbackHost(parsed.host))
        return true;
    if (parsed.scheme == "http")
        return refuse("plain http is only used with this machine's own servers; use https");
    return refuse("only https addresses are fetched");
}

Response Fetch(const Request& request) {
    InitCurlOnce();
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + request.limits.totalTimeout;
    std::string url = request.url;
    bool secure = false;
    for (int hop = 0;; ++hop) {
        std::string why;
        if (!IsPermittedUrl(url, &why))
            throw HttpError(HttpError::Kind::RefusedAddress, url + ": " + why);
        ParsedUrl parsed;
        Parse(url, parsed);
        if (secure && parsed.scheme != "https")
            throw HttpError(HttpError::Kind::RefusedAddress,
                            url + ": a redirect from https to plain http is not followed");
        secure = parsed.scheme == "https";
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0)
            throw HttpError(HttpError::Kind::Timeout, url + ": no complete answer within " +
                                                          Seconds(request.limits.totalTimeout));
        Response response = PerformOne(request, url, IsLoopbackHost(parsed.host), left);
        const std::string location = response.Header("location");
        if (!IsRedirect(response.status) || location.empty()) {
            response.url = url;
            return response;
        }
        if (hop >= request.limits.maxRedirects)
            throw HttpError(HttpError::Kind::TooManyRedirects,
                            request.url + ": more than " +
                                std::to_string(request.limits.maxRedirects) + " redirects");
        const std::string next = Resolve(url, location);
        if (next.empty())
            throw HttpError(HttpError::Kind::Network,
                            url + ": the server redirected to an invalid address");
        url = next;
    }
}

} // namespace orvanta::http
