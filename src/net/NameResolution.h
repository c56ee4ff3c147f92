// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Name resolution for the WHOIS client and the windows: IPv4, and IPv6 for
// the domain search and the host names of IPv6 rows. Everything
// here is reentrant (getaddrinfo/getnameinfo), so any thread may call it.

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace orvanta::net {

// Outcome of a forward lookup: the first IPv4 address (network byte order)
// or the resolver's failure as a Windows Sockets number (11001, 11002, 11004).
struct Ipv4Lookup {
    std::optional<std::uint32_t> address;
    int error = 0;
};

// True when `text` is exactly four dot-separated decimal numbers 0..255
// (no signs, no blanks, at most three digits each); `address` then holds it
// in network byte order.
bool ParseDottedQuad(std::string_view text, std::uint32_t* address = nullptr);

// Asks the resolver for `name` exactly as given. Names under the reserved
// top-level domain "invalid" fail at once with 11001: they can never exist,
// and asking a slow or absent DNS server about them would only stall.
Ipv4Lookup LookupIpv4(const std::string& name);

// `address` (network byte order) as dotted decimal text.
std::string FormatIpv4(std::uint32_t address);

// The first IPv4 address of `name` as dotted text, "0.0.0.0" when the name
// does not resolve. The name goes to the resolver unchanged.
std::string DomainToAddress(const std::string& name);

// The official host name for `address` (network byte order, as inet_addr
// gives it); nothing when reverse resolution finds no name.
std::optional<std::string> ReverseLookup(std::uint32_t address);

// An IPv6 address, 16 bytes in network order.
using Ipv6Address = std::array<std::uint8_t, 16>;

// Outcome of a forward lookup for IPv6: the first IPv6 address or the
// resolver's failure as a Windows Sockets number, as for IPv4.
struct Ipv6Lookup {
    std::optional<Ipv6Address> address;
    int error = 0;
};

// Asks the resolver for the IPv6 addresses of `name`; names under "invalid"
// fail at once, as in LookupIpv4.
Ipv6Lookup LookupIpv6(const std::string& name);

// `address` in the shortest standard text ("2001:db8::1").
std::string FormatIpv6(const Ipv6Address& address);

// The host name for `address`; nothing when reverse resolution finds none.
std::optional<std::string> ReverseLookupIpv6(const Ipv6Address& address);

// The resolver calls the domain search makes; tests answer in their place.
struct AddressLookups {
    std::function<Ipv4Lookup(const std::string&)> ipv4 = LookupIpv4;
    std::function<Ipv6Lookup(const std::string&)> ipv6 = LookupIpv6;
};

// The address the domain search locates for `name`: its first IPv4 address
// as dotted text; for a name without one, its first IPv6 address; else
// "0.0.0.0", as DomainToAddress answers.
std::string DomainToLocatableAddress(const std::string& name, const AddressLookups& lookups = {});

} // namespace orvanta::net
