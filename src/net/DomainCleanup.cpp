// SPDX-License-Identifier: GPL-3.0-or-later
#include "net/DomainCleanup.h"

#include <array>

namespace orvanta::net {

namespace {

char LowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool MatchesAt(std::string_view text, std::size_t pos, std::string_view pattern) {
    if (text.size() - pos < pattern.size()) {
        return false;
    }
    for (std::size_t k = 0; k < pattern.size(); ++k) {
        if (LowerAscii(text[pos + k]) != LowerAscii(pattern[k])) {
            return false;
        }
    }
    return true;
}

} // namespace

std::string RemoveIgnoringCase(std::string_view text, std::string_view pattern) {
    if (pattern.empty()) {
        return std::string(text);
    }
    std::string out;
    out.reserve(text.size());
    std::size_t pos = 0;
    while (pos < text.size()) {
        if (MatchesAt(text, pos, pattern)) {
            pos += pattern.size();
        } else {
            out += text[pos++];
        }
    }
    return out;
}

std::string CleanDomain(std::string_view text) {
    static constexpr std::array<std::string_view, 4> kPatterns{"www.", "http://", "https://", "/"};
    std::string current(text);
    // Each pass that changes anything shortens the text, so this ends.
    for (;;) {
        bool changed = false;
        for (const std::string_view pattern : kPatterns) {
            std::string next = RemoveIgnoringCase(current, pattern);
            if (next != current) {
                current = std::move(next);
                changed = true;
            }
        }
        if (!changed) {
            return current;
        }
    }
}

} // namespace orvanta::net
