#pragma once
// IPv4 name resolution for the WHOIS client and the windows. Everything
// here is reentrant (getaddrinfo/getnameinfo), so any thread may call it.

#include <cstdint>
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

} // namespace orvanta::net
