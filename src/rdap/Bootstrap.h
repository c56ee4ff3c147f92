// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// An RDAP bootstrap registry (RFC 9224): which RDAP service answers for a
// domain name (dns.json, the longest matching label suffix wins) or for an
// IPv4 or IPv6 address (ipv4.json, ipv6.json: the longest matching prefix
// wins).

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orvanta::rdap {

class Bootstrap {
public:
    enum class Kind { Domains, Ipv4, Ipv6 };

    // The file that lists services for `address`: Ipv6 for a text with a
    // colon, else Ipv4.
    static Kind KindForAddress(std::string_view address);

    // Throws RdapError when `document` is not a bootstrap file; entries
    // with malformed keys or without a usable address are skipped.
    static Bootstrap Parse(std::string_view document, Kind kind);

    // The base address ("https://rdap.example/", always ending in "/") of
    // the service for `name` (ASCII, any case, a final dot allowed).
    std::optional<std::string> ServiceForDomain(std::string_view name) const;
    // The same for a dotted IPv4 address or an IPv6 address (as inet_pton
    // reads it); nothing for anything else.
    std::optional<std::string> ServiceForAddress(std::string_view address) const;

    std::size_t size() const { return labels_.size() + prefixes_.size() + prefixes6_.size(); }

private:
    struct Prefix {
        std::uint32_t network;
        int length;
        std::string base;
    };
    struct Prefix6 {
        std::array<std::uint8_t, 16> network;
        int length;
        std::string base;
    };
    struct Labels {
        std::string suffix; // lower case, no final dot
        std::string base;
    };

    std::vector<Labels> labels_;
    std::vector<Prefix> prefixes_;
    std::vector<Prefix6> prefixes6_;
};

} // namespace orvanta::rdap
