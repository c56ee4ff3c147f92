// SPDX-License-Identifier: GPL-3.0-or-later
#include "rdap/Bootstrap.h"

#include "http/HttpClient.h"
#include "rdap/AnswerDecoder.h"
#include "rdap/RdapError.h"

#include <algorithm>
#include <arpa/inet.h>
#include <charconv>
#include <cstring>
#include <nlohmann/json.hpp>

namespace orvanta::rdap {
namespace {

using nlohmann::json;

std::string Lower(std::string_view text) {
    std::string out(text);
    for (char& ch : out) {
        if (ch >= 'A' && ch <= 'Z') {
            ch = static_cast<char>(ch - 'A' + 'a');
        }
    }
    return out;
}

std::string_view WithoutFinalDot(std::string_view name) {
    if (!name.empty() && name.back() == '.') {
        name.remove_suffix(1);
    }
    return name;
}

// The service's address to use: https where offered (the file lists both
// where a service has both), else any address the client accepts, which
// is plain http only on loopback.
std::optional<std::string> PickBase(const json& addresses) {
    if (!addresses.is_array()) {
        return std::nullopt;
    }
    std::optional<std::string> chosen;
    for (const json& address : addresses) {
        if (!address.is_string()) {
            continue;
        }
        const std::string& url = address.get_ref<const std::string&>();
        if (url.size() > AnswerDecoder::kMaxText || !http::IsPermittedUrl(url)) {
            continue;
        }
        if (!chosen || (url.rfind("https://", 0) == 0 && chosen->rfind("https://", 0) != 0)) {
            chosen = url;
        }
    }
    if (chosen && chosen->back() != '/') {
        *chosen += '/';
    }
    return chosen;
}

std::optional<std::uint32_t> ParseAddress(std::string_view text) {
    if (text.size() > 15) {
        return std::nullopt;
    }
    const std::string copy(text);
    in_addr address{};
    if (inet_pton(AF_INET, copy.c_str(), &address) != 1) {
        return std::nullopt;
    }
    return ntohl(address.s_addr);
}

using Bytes16 = std::array<std::uint8_t, 16>;

std::optional<Bytes16> ParseAddress6(std::string_view text) {
    // inet_pton stops at a NUL, so one inside the text must not pass.
    if (text.size() >= INET6_ADDRSTRLEN || text.find('\0') != std::string_view::npos) {
        return std::nullopt;
    }
    const std::string copy(text);
    in6_addr address{};
    if (inet_pton(AF_INET6, copy.c_str(), &address) != 1) {
        return std::nullopt;
    }
    Bytes16 bytes{};
    std::memcpy(bytes.data(), &address, bytes.size());
    return bytes;
}

// `address` with every bit after the first `length` cleared.
Bytes16 Masked(Bytes16 address, int length) {
    for (int i = 0; i < 16; ++i) {
        const int keep = std::clamp(length - 8 * i, 0, 8);
        address[static_cast<std::size_t>(i)] &= static_cast<std::uint8_t>(0xFF00u >> keep);
    }
    return address;
}

std::uint32_t Mask(int length) {
    return length == 0 ? 0 : ~std::uint32_t{0} << (32 - length);
}

} // namespace

Bootstrap Bootstrap::Parse(std::string_view document, Kind kind) {
    const json root = AnswerDecoder::Parse(document);
    const json* services = nullptr;
    if (root.is_object()) {
        if (const auto it = root.find("services"); it != root.end() && it->is_array()) {
            services = &*it;
        }
    }
    if (services == nullptr) {
        throw RdapError("the bootstrap file has no \"services\" list");
    }
    Bootstrap bootstrap;
    for (const json& service : *services) {
        if (!service.is_array() || service.size() < 2 || !service[0].is_array()) {
            continue;
        }
        const auto base = PickBase(service[1]);
        if (!base) {
            continue;
        }
        for (const json& key : service[0]) {
            if (!key.is_string()) {
                continue;
            }
            const std::string& text = key.get_ref<const std::string&>();
            if (kind == Kind::Domains) {
                const std::string suffix = Lower(WithoutFinalDot(text));
                if (!suffix.empty() && suffix.size() <= 253) {
                    bootstrap.labels_.push_back({suffix, *base});
                }
                continue;
            }
            const auto slash = text.find('/');
            int length = -1;
            const char* end = text.data() + text.size();
            const int maxLength = kind == Kind::Ipv6 ? 128 : 32;
            if (slash == std::string::npos ||
                std::from_chars(text.data() + slash + 1, end, length).ptr != end || length < 0 ||
                length > maxLength) {
                continue;
            }
            if (kind == Kind::Ipv6) {
                if (const auto network = ParseAddress6(std::string_view(text).substr(0, slash))) {
                    bootstrap.prefixes6_.push_back({Masked(*network, length), length, *base});
                }
                continue;
            }
            if (const auto network = ParseAddress(std::string_view(text).substr(0, slash))) {
                bootstrap.prefixes_.push_back({*network & Mask(length), length, *base});
            }
        }
    }
    return bootstrap;
}

std::optional<std::string> Bootstrap::ServiceForDomain(std::string_view name) const {
    const std::string lower = Lower(WithoutFinalDot(name));
    const std::string* best = nullptr;
    std::size_t bestSize = 0;
    for (const Labels& entry : labels_) {
        const std::string& suffix = entry.suffix;
        // Whole labels only: "example.com" matches "com", "xcom" does not.
        const bool matches = lower == suffix || (lower.size() > suffix.size() &&
                                                 lower.compare(lower.size() - suffix.size(),
                                                               suffix.size(), suffix) == 0 &&
                                                 lower[lower.size() - suffix.size() - 1] == '.');
        if (matches && suffix.size() > bestSize) {
            best = &entry.base;
            bestSize = suffix.size();
        }
    }
    return best ? std::optional<std::string>(*best) : std::nullopt;
}

Bootstrap::Kind Bootstrap::KindForAddress(std::string_view address) {
    return address.find(':') == std::string_view::npos ? Kind::Ipv4 : Kind::Ipv6;
}

std::optional<std::string> Bootstrap::ServiceForAddress(std::string_view address) const {
    const auto parsed = ParseAddress(address);
    if (!parsed) {
        const auto parsed6 = ParseAddress6(address);
        if (!parsed6) {
            return std::nullopt;
        }
        const Prefix6* best = nullptr;
        for (const Prefix6& entry : prefixes6_) {
            if (Masked(*parsed6, entry.length) == entry.network &&
                (best == nullptr || entry.length > best->length)) {
                best = &entry;
            }
        }
        return best ? std::optional<std::string>(best->base) : std::nullopt;
    }
    const Prefix* best = nullptr;
    for (const Prefix& entry : prefixes_) {
        if ((*parsed & Mask(entry.length)) == entry.network &&
            (best == nullptr || entry.length > best->length)) {
            best = &entry;
        }
    }
    return best ? std::optional<std::string>(best->base) : std::nullopt;
}

} // namespace orvanta::rdap
