// SPDX-License-Identifier: GPL-3.0-or-later
#include "validation/IsInvalidAddressText.h"

#include "validation/EConvertError.h"

#include <cstddef>
#include <cstdint>
#include <limits>

namespace {

// No typed address comes near this; it keeps every position within the
// small counters the check was designed around.
constexpr std::size_t kMaxTextLength = 255;

// Accumulates decimal digits as a 32-bit signed value; throws when the value
// leaves that range. The caller guarantees digits only.
std::int32_t GroupValue(std::string_view group) {
    std::int64_t value = 0;
    for (char c : group) {
        value = value * 10 + (c - '0');
        if (value > std::numeric_limits<std::int32_t>::max())
            throw EConvertError::NotAnInteger(group);
    }
    return static_cast<std::int32_t>(value);
}

// True when the group is to be rejected. The first group may never start
// with "0"; the others may be zero written with any number of zeros.
bool GroupRejected(std::string_view group, bool first) {
    const std::int32_t value = GroupValue(group);
    if (value > 255)
        return true;
    if (group.front() == '0')
        return first || value != 0;
    return false;
}

} // namespace

bool IsInvalidAddressText(std::string_view text) {
    if (text.size() > kMaxTextLength)
        return true;

    // 1-based positions of the first three dots, 0 until found.
    std::size_t dots[3] = {0, 0, 0};
    std::size_t count = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9')
            continue;
        if (c != '.')
            return true;
        if (count == 3)
            return true;
        dots[count++] = i + 1;
    }
    if (count < 3)
        return true;

    const std::size_t d1 = dots[0], d2 = dots[1], d3 = dots[2];
    if (d1 < 2 || d3 == text.size())
        return true;
    if (d2 < d1 + 2 || d3 < d2 + 2)
        return true;
    if (d1 > 4 || d2 > d1 + 4 || d3 > d2 + 4)
        return true;

    const std::string_view groups[4] = {
        text.substr(0, d1 - 1),
        text.substr(d1, d2 - d1 - 1),
        text.substr(d2, d3 - d2 - 1),
        text.substr(d3),
    };
    for (int g = 0; g < 4; ++g) {
        if (GroupRejected(groups[g], g == 0))
            return true;
    }
    return false;
}
