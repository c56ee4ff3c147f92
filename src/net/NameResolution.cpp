// SPDX-License-Identifier: GPL-3.0-or-later
#include "net/NameResolution.h"

#include "net/SocketErrors.h"

#include <arpa/inet.h>
#include <cctype>
#include <cstring>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>

namespace orvanta::net {

namespace {

bool IsUnderInvalidDomain(std::string_view name) {
    if (!name.empty() && name.back() == '.') {
        name.remove_suffix(1);
    }
    constexpr std::string_view kTld = "invalid";
    if (name.size() < kTld.size()) {
        return false;
    }
    const std::string_view tail = name.substr(name.size() - kTld.size());
    for (std::size_t i = 0; i < kTld.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(tail[i])) != kTld[i]) {
            return false;
        }
    }
    return name.size() == kTld.size() || name[name.size() - kTld.size() - 1] == '.';
}

// Owns a getaddrinfo result list.
class AddrInfoList {
public:
    AddrInfoList() = default;
    ~AddrInfoList() {
        if (list_ != nullptr) {
            ::freeaddrinfo(list_);
        }
    }
    AddrInfoList(const AddrInfoList&) = delete;
    AddrInfoList& operator=(const AddrInfoList&) = delete;

    addrinfo** Out() { return &list_; }
    const addrinfo* Get() const { return list_; }

private:
    addrinfo* list_ = nullptr;
};

} // namespace

bool ParseDottedQuad(std::string_view text, std::uint32_t* address) {
    std::uint32_t value = 0;
    int parts = 0;
    std::size_t pos = 0;
    while (parts < 4) {
        unsigned part = 0;
        std::size_t digits = 0;
        while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9' && digits < 4) {
            part = part * 10 + static_cast<unsigned>(text[pos] - '0');
            ++pos;
            ++digits;
        }
        if (digits == 0 || digits > 3 || part > 255) {
            return false;
        }
        value = (value << 8) | part;
        ++parts;
        if (parts < 4) {
            if (pos >= text.size() || text[pos] != '.') {
                return false;
            }
            ++pos;
        }
    }
    if (pos != text.size()) {
        return false;
    }
    if (address != nullptr) {
        *address = htonl(value);
    }
    return true;
}

namespace {

// The first address of `family` the resolver gives for `name`; `take` reads
// it from a socket address of at least `minimum` bytes.
template <class Lookup, class Take>
Lookup FirstAddress(const std::string& name, int family, std::size_t minimum, Take take) {
    if (IsUnderInvalidDomain(name)) {
        return {std::nullopt, kWsaHostNotFound};
    }
    addrinfo hints{};
    hints.ai_family = family;
    hints.ai_socktype = SOCK_STREAM;
    AddrInfoList list;
    const int rc = ::getaddrinfo(name.c_str(), nullptr, &hints, list.Out());
    if (rc != 0) {
        return {std::nullopt, WinsockCodeFromResolver(rc)};
    }
    for (const addrinfo* ai = list.Get(); ai != nullptr; ai = ai->ai_next) {
        if (ai->ai_family == family && ai->ai_addr != nullptr && ai->ai_addrlen >= minimum) {
            return {take(*ai->ai_addr), 0};
        }
    }
    return {std::nullopt, kWsaNoData};
}

} // namespace

Ipv4Lookup LookupIpv4(const std::string& name) {
    return FirstAddress<Ipv4Lookup>(name, AF_INET, sizeof(sockaddr_in), [](const sockaddr& sa) {
        sockaddr_in sin{};
        std::memcpy(&sin, &sa, sizeof sin);
        return sin.sin_addr.s_addr;
    });
}

std::string FormatIpv4(std::uint32_t address) {
    in_addr in{};
    in.s_addr = address;
    char text[INET_ADDRSTRLEN] = {};
    if (::inet_ntop(AF_INET, &in, text, sizeof text) == nullptr) {
        return "0.0.0.0";
    }
    return text;
}

std::string DomainToAddress(const std::string& name) {
    const Ipv4Lookup found = LookupIpv4(name);
    return found.address ? FormatIpv4(*found.address) : std::string("0.0.0.0");
}

Ipv6Lookup LookupIpv6(const std::string& name) {
    return FirstAddress<Ipv6Lookup>(name, AF_INET6, sizeof(sockaddr_in6), [](const sockaddr& sa) {
        sockaddr_in6 sin6{};
        std::memcpy(&sin6, &sa, sizeof sin6);
        Ipv6Address address{};
        std::memcpy(address.data(), &sin6.sin6_addr, address.size());
        return address;
    });
}

std::string FormatIpv6(const Ipv6Address& address) {
    in6_addr in6{};
    std::memcpy(&in6, address.data(), address.size());
    char text[INET6_ADDRSTRLEN] = {};
    if (::inet_ntop(AF_INET6, &in6, text, sizeof text) == nullptr) {
        return "::";
    }
    return text;
}

std::optional<std::string> ReverseLookupIpv6(const Ipv6Address& address) {
    sockaddr_in6 sin6{};
    sin6.sin6_family = AF_INET6;
    std::memcpy(&sin6.sin6_addr, address.data(), address.size());
    char host[NI_MAXHOST] = {};
    const int rc = ::getnameinfo(reinterpret_cast<const sockaddr*>(&sin6), sizeof sin6, host,
                                 sizeof host, nullptr, 0, NI_NAMEREQD);
    if (rc != 0 || host[0] == '\0') {
        return std::nullopt;
    }
    return std::string(host);
}

std::string DomainToLocatableAddress(const std::string& name, const AddressLookups& lookups) {
    if (const Ipv4Lookup v4 = lookups.ipv4(name); v4.address) {
        return FormatIpv4(*v4.address);
    }
    if (const Ipv6Lookup v6 = lookups.ipv6(name); v6.address) {
        return FormatIpv6(*v6.address);
    }
    return "0.0.0.0";
}

std::optional<std::string> ReverseLookup(std::uint32_t address) {
    sockaddr_in sin{};
    sin.sin_family = AF_INET;
    sin.sin_addr.s_addr = address;
    char host[NI_MAXHOST] = {};
    const int rc = ::getnameinfo(reinterpret_cast<const sockaddr*>(&sin), sizeof sin, host,
                                 sizeof host, nullptr, 0, NI_NAMEREQD);
    if (rc != 0 || host[0] == '\0') {
        return std::nullopt;
    }
    return std::string(host);
}

} // namespace orvanta::net
