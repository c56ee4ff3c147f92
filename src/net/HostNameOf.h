// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Reverse resolution for the results list, behind a small interface so that
// tests can answer for the platform's resolver.
//
//     TSystemHostResolver resolver;
//     HostNameOf("127.0.0.1", resolver); // "localhost", or "Unresolved Host"
#include <array>
#include <cstdint>
#include <optional>
#include <string>

class THostResolver {
public:
    virtual ~THostResolver() = default;
    // The official name of `address` (network byte order), or nothing.
    virtual std::optional<std::string> NameOf(std::uint32_t address) = 0;
    // The same for an IPv6 address (16 bytes, network order). Resolvers
    // that only know IPv4 names find none.
    virtual std::optional<std::string> NameOfIpv6(const std::array<std::uint8_t, 16>& address) {
        (void)address;
        return std::nullopt;
    }
};

// The platform's resolver (getnameinfo with NI_NAMEREQD); waits as long as
// the resolver takes.
class TSystemHostResolver : public THostResolver {
public:
    std::optional<std::string> NameOf(std::uint32_t address) override;
    std::optional<std::string> NameOfIpv6(const std::array<std::uint8_t, 16>& address) override;
};

// The resolver's name for an IPv6 text (as the locate command takes it),
// else for inet_addr of `address`; "Unresolved Host" when it finds none.
std::string HostNameOf(const std::string& address, THostResolver& resolver);
