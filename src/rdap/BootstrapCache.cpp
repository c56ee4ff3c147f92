// SPDX-License-Identifier: GPL-3.0-or-later
#include "rdap/BootstrapCache.h"

#include "net/PrivateMode.h"
#include "rdap/Freshness.h"
#include "rdap/RdapError.h"
#include "rdap/RdapFetch.h"

#include <fstream>
#include <sstream>
#include <unistd.h>

namespace orvanta::rdap {
namespace {

// A kept file starts with one line, "expires <seconds since 1970>", then
// the bootstrap file as it came.
constexpr std::string_view kHeader = "expires ";

std::int64_t Now() {
    return std::chrono::duration_cast<std::chrono::seconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

std::optional<Bootstrap> TryParse(const std::string& body, Bootstrap::Kind kind) {
    try {
        return Bootstrap::Parse(body, kind);
    } catch (const RdapError&) {
        return std::nullopt;
    }
}

} // namespace

const char* BootstrapCache::FileName(Bootstrap::Kind kind) {
    switch (kind) {
    case Bootstrap::Kind::Domains:
        return "dns.json";
    case Bootstrap::Kind::Ipv4:
        return "ipv4.json";
    case Bootstrap::Kind::Ipv6:
        break;
    }
    return "ipv6.json";
}

std::optional<BootstrapCache::Kept> BootstrapCache::ReadKept(const std::string& name) const {
    if (settings_.cacheDir.empty()) {
        return std::nullopt;
    }
    const std::filesystem::path path = settings_.cacheDir / name;
    // Never more than a fetch may bring, whatever is found on disk.
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    if (error || size > settings_.limits.maxBytes + 64) {
        return std::nullopt;
    }
    std::ifstream in(path, std::ios::binary);
    std::string header;
    if (!in || !std::getline(in, header) || header.rfind(kHeader, 0) != 0) {
        return std::nullopt;
    }
    std::int64_t expires = 0;
    try {
        expires = std::stoll(header.substr(kHeader.size()));
    } catch (const std::exception&) {
        return std::nullopt;
    }
    std::ostringstream body;
    body << in.rdbuf();
    // A file claiming to stay fresh longer than allowed (a clock turned
    // back, a hand-edited file) is treated as stale.
    const std::int64_t now = Now();
    const bool fresh = expires > now && expires - now <= settings_.maxFreshness.count();
    return Kept{body.str(), fresh};
}

void BootstrapCache::Keep(const std::string& name, const std::string& body,
                          std::chrono::seconds life) const {
    if (settings_.cacheDir.empty()) {
        return;
    }
    // Keeping is a convenience: a cache folder that cannot be written only
    // means the file is fetched again next time.
    std::error_code ignored;
    std::filesystem::create_directories(settings_.cacheDir, ignored);
    static std::atomic<unsigned> counter{0};
    const std::filesystem::path target = settings_.cacheDir / name;
    std::filesystem::path temporary = target;
    temporary += ".tmp" + std::to_string(getpid()) + "-" + std::to_string(counter++);
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << kHeader << Now() + life.count() << '\n' << body;
        out.close();
        if (!out) {
            std::filesystem::remove(temporary, ignored);
            return;
        }
    }
    std::filesystem::rename(temporary, target, ignored);
    if (ignored) {
        std::filesystem::remove(temporary, ignored);
    }
}

Bootstrap BootstrapCache::Load(Bootstrap::Kind kind, const std::atomic<bool>* cancel) const {
    const std::string name = FileName(kind);
    const std::optional<Kept> kept = ReadKept(name);
    if (kept && kept->fresh) {
        if (auto bootstrap = TryParse(kept->body, kind)) {
            return *bootstrap;
        }
    }
    const std::string url = settings_.bootstrapBase + name;
    if (net::PrivateMode()) {
        // The refresh tells IANA's servers that someone looks something up:
        // a kept file, however old, is used, and without one RDAP says so.
        if (kept) {
            if (auto bootstrap = TryParse(kept->body, kind)) {
                return *bootstrap;
            }
        }
        throw RdapError("no RDAP bootstrap file " + name +
                        " kept; private mode does not fetch one from " + url);
    }
    std::string problem;
    try {
        const http::Response response = FetchRdap(url, settings_.limits, cancel);
        if (response.status != 200) {
            problem = url + " answered HTTP " + std::to_string(response.status);
        } else {
            Bootstrap bootstrap = Bootstrap::Parse(response.body, kind);
            const auto freshness =
                Freshness::Of(response, std::chrono::system_clock::now(), settings_.maxFreshness);
            if (freshness.store) {
                Keep(name, response.body, freshness.lifetime);
            }
            return bootstrap;
        }
    } catch (const http::HttpError& error) {
        if (error.kind() == http::HttpError::Kind::Cancelled) {
            throw;
        }
        problem = error.what();
    } catch (const RdapError& error) {
        problem = url + ": " + error.what();
    }
    if (kept) {
        if (auto bootstrap = TryParse(kept->body, kind)) {
            return *bootstrap;
        }
    }
    throw RdapError("no RDAP bootstrap file " + name + ": " + problem);
}

} // namespace orvanta::rdap
