// SPDX-License-Identifier: GPL-3.0-or-later
#include "net/HostNameOf.h"

#include "net/NameResolution.h"
#include "validation/Ipv6AddressText.h"

#include <arpa/inet.h>

std::optional<std::string> TSystemHostResolver::NameOf(std::uint32_t address) {
    return orvanta::net::ReverseLookup(address);
}

std::optional<std::string>
TSystemHostResolver::NameOfIpv6(const std::array<std::uint8_t, 16>& address) {
    return orvanta::net::ReverseLookupIpv6(address);
}

std::string HostNameOf(const std::string& address, THostResolver& resolver) {
    std::optional<std::string> name;
    if (const std::optional<TIpv6Bytes> bytes = ParseIpv6AddressText(address))
        name = resolver.NameOfIpv6(*bytes);
    else
        name = resolver.NameOf(inet_addr(address.c_str()));
    if (name && !name->empty())
        return *name;
    return "Unresolved Host";
}
