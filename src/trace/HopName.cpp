// SPDX-License-Identifier: GPL-3.0-or-later
#include "trace/HopName.h"

#include "net/PrivateMode.h"

#include <memory>
#include <netdb.h>
#include <sys/socket.h>

namespace orvanta::trace {

std::optional<std::string> HostNameOfHop(const std::string& address) {
    if (net::PrivateMode())
        return std::nullopt;
    addrinfo hints{};
    hints.ai_flags = AI_NUMERICHOST;
    hints.ai_family = AF_UNSPEC;
    addrinfo* found = nullptr;
    if (address.empty() || getaddrinfo(address.c_str(), nullptr, &hints, &found) != 0 || !found)
        return std::nullopt;
    const std::unique_ptr<addrinfo, decltype(&freeaddrinfo)> owner(found, freeaddrinfo);
    char name[NI_MAXHOST] = {};
    if (getnameinfo(found->ai_addr, found->ai_addrlen, name, sizeof name, nullptr, 0,
                    NI_NAMEREQD) != 0)
        return std::nullopt;
    return std::string(name);
}

} // namespace orvanta::trace
