// SPDX-License-Identifier: GPL-3.0-or-later
#include "webwhois/WebWhoisQuery.h"

namespace orvanta::webwhois {
namespace {

int hexDigit(char ch) {
    if (ch >= '0' && ch <= '9') {
        return ch - '0';
    }
    if (ch >= 'a' && ch <= 'f') {
        return ch - 'a' + 10;
    }
    if (ch >= 'A' && ch <= 'F') {
        return ch - 'A' + 10;
    }
    return -1;
}

bool endsWith(std::string_view text, std::string_view tail) {
    return text.size() >= tail.size() && text.substr(text.size() - tail.size()) == tail;
}

} // namespace

std::string percentDecode(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size()) {
            const int high = hexDigit(text[i + 1]);
            const int low = hexDigit(text[i + 2]);
            if (high >= 0 && low >= 0) {
                out += static_cast<char>(high * 16 + low);
                i += 2;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

std::string nameFromQuery(std::string_view rawQuery) {
    std::size_t start = 0;
    while (start <= rawQuery.size()) {
        std::size_t end = rawQuery.find('&', start);
        if (end == std::string_view::npos) {
            end = rawQuery.size();
        }
        const std::string_view part = rawQuery.substr(start, end - start);
        if (part.substr(0, 6) == "query=") {
            std::string name = percentDecode(part.substr(6));
            // The addresses end the name with " + " before "&output=nice";
            // a browser may have dropped the blanks or written each as "+".
            for (std::string_view tail : {" + ", "+++", " +", "+ ", "+"}) {
                if (endsWith(name, tail)) {
                    name.erase(name.size() - tail.size());
                    break;
                }
            }
            return name;
        }
        start = end + 1;
    }
    return {};
}

bool isPlausibleDomain(std::string_view name) {
    if (name.empty() || name.size() > kMaxDomainLength) {
        return false;
    }
    for (char ch : name) {
        const bool ok = (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') ||
                        (ch >= '0' && ch <= '9') || ch == '-' || ch == '.';
        if (!ok) {
            return false;
        }
    }
    return true;
}

} // namespace orvanta::webwhois
