// SPDX-License-Identifier: GPL-3.0-or-later
#include "geoip/TextRecord.h"

#include <algorithm>
#include <cstring>

namespace orvanta::geoip {

std::optional<std::string> DecodeTextRecord(const std::uint8_t* bytes, std::size_t available) {
    const std::size_t window = std::min(available, TextRecordWindow);
    const void* end = std::memchr(bytes, 0, window);
    if (end == nullptr) {
        return std::nullopt;
    }
    return std::string(reinterpret_cast<const char*>(bytes),
                       static_cast<const std::uint8_t*>(end) - bytes);
}

AsnName SplitAsnText(std::string_view text) {
    AsnName name;
    if (text.size() < 3 || text[0] != 'A' || text[1] != 'S') {
        name.organization = std::string(text);
        return name;
    }
    std::uint64_t number = 0;
    std::size_t at = 2;
    while (at < text.size() && text[at] >= '0' && text[at] <= '9' && number <= UINT32_MAX) {
        number = number * 10 + static_cast<std::uint64_t>(text[at] - '0');
        ++at;
    }
    const bool ends = at == text.size() || text[at] == ' ';
    if (at == 2 || !ends || number > UINT32_MAX) {
        name.organization = std::string(text);
        return name;
    }
    name.number = static_cast<std::uint32_t>(number);
    name.organization = std::string(text.substr(std::min(at + 1, text.size())));
    return name;
}

std::string JoinAsnText(std::uint32_t number, std::string_view organization) {
    std::string text = "AS" + std::to_string(number);
    if (!organization.empty()) {
        text += ' ';
        text += organization;
    }
    return text;
}

} // namespace orvanta::geoip
