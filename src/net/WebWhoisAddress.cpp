// SPDX-License-Identifier: GPL-3.0-or-later
#include "net/WebWhoisAddress.h"

namespace orvanta::net {

namespace {

bool IsUnreserved(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_' || c == '~';
}

std::string Build(std::string_view path, std::string_view name) {
    std::string address = "http://";
    address += kWebWhoisHost;
    address += path;
    address += PercentEncodeQueryValue(name);
    address += kWebWhoisTail;
    return address;
}

} // namespace

std::string PercentEncodeQueryValue(std::string_view value) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(value.size() * 3);
    for (const char ch : value) {
        const auto c = static_cast<unsigned char>(ch);
        if (IsUnreserved(c)) {
            out += ch;
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 0x0F];
        }
    }
    return out;
}

std::string WebWhoisSearchAddress(std::string_view name) {
    return Build(kWebWhoisSearchPath, name);
}

std::string WebWhoisExampleAddress(std::string_view name) {
    return Build(kWebWhoisExamplePath, name);
}

} // namespace orvanta::net
