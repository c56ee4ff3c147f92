// SPDX-License-Identifier: GPL-3.0-or-later
#include "webwhois/WhoisReferral.h"

#include "webwhois/WebWhoisQuery.h"

#include <cctype>

namespace orvanta::webwhois {
namespace {

bool isBlank(char ch) {
    return ch == ' ' || ch == '\t' || ch == '\r' || ch == '\n';
}

std::string_view trim(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

bool startsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) {
        return false;
    }
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(text[i])) !=
            std::tolower(static_cast<unsigned char>(prefix[i]))) {
            return false;
        }
    }
    return true;
}

// The value of the first line whose key is `key`, if any.
std::optional<std::string> valueOf(std::string_view answer, std::string_view key) {
    std::size_t start = 0;
    while (start < answer.size()) {
        std::size_t end = answer.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            end = answer.size();
        }
        const std::string_view line = trim(answer.substr(start, end - start));
        if (startsWithNoCase(line, key)) {
            if (auto server = normalizeServer(line.substr(key.size()))) {
                return server;
            }
        }
        start = end + 1;
    }
    return std::nullopt;
}

} // namespace

std::optional<std::string> normalizeServer(std::string_view value) {
    value = trim(value);
    if (const auto scheme = value.find("://"); scheme != std::string_view::npos) {
        value.remove_prefix(scheme + 3);
    }
    if (const auto cut = value.find_first_of("/ \t"); cut != std::string_view::npos) {
        value = value.substr(0, cut);
    }
    if (!value.empty() && value.back() == '.') {
        value.remove_suffix(1);
    }
    if (!isPlausibleDomain(value) || value.front() == '.' || value.front() == '-') {
        return std::nullopt;
    }
    std::string server(value);
    for (char& ch : server) {
        ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    }
    return server;
}

std::optional<std::string> findReferral(std::string_view answer, ReferralKind kind) {
    if (kind == ReferralKind::Registrar) {
        return valueOf(answer, "Registrar WHOIS Server:");
    }
    if (auto server = valueOf(answer, "refer:")) {
        return server;
    }
    return valueOf(answer, "whois:");
}

} // namespace orvanta::webwhois
