#include "forms/HostNameOf.h"

#include "net/NameResolution.h"

#include <arpa/inet.h>

std::optional<std::string> TSystemHostResolver::NameOf(std::uint32_t address) {
    return orvanta::net::ReverseLookup(address);
}

std::string HostNameOf(const std::string& address, THostResolver& resolver) {
    const std::uint32_t number = inet_addr(address.c_str());
    if (std::optional<std::string> name = resolver.NameOf(number); name && !name->empty())
        return *name;
    return "Unresolved Host";
}
