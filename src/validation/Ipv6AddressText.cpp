#include "validation/Ipv6AddressText.h"

#include <arpa/inet.h>
#include <cstring>
#include <netinet/in.h>

namespace {
// The longest text inet_pton can take ("ffff:...:255.255.255.255"); longer
// texts are refused before they are copied.
constexpr std::size_t kMaxTextLength = INET6_ADDRSTRLEN - 1;
} // namespace

std::optional<TIpv6Bytes> ParseIpv6AddressText(std::string_view text) {
    // inet_pton reads up to the first NUL: "::1\0junk" would pass as "::1".
    if (text.empty() || text.size() > kMaxTextLength || text.find('\0') != std::string_view::npos)
        return std::nullopt;
    char copy[kMaxTextLength + 1] = {};
    std::memcpy(copy, text.data(), text.size());
    in6_addr address{};
    if (inet_pton(AF_INET6, copy, &address) != 1)
        return std::nullopt;
    TIpv6Bytes bytes{};
    std::memcpy(bytes.data(), &address, bytes.size());
    return bytes;
}
