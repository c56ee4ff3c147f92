// SPDX-License-Identifier: GPL-3.0-or-later
// Any memo text and any coordinate text must give call texts whose address
// literal reads back as exactly the cleaned address, and a guarded script
// whose outer literal reads back as exactly the call text.
#include "map/ScriptCalls.h"
#include "map/ScriptGuard.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

void require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

// Reads back a single-quoted literal made by addressLiteral.
std::string readSingleQuoted(std::string_view literal) {
    require(literal.size() >= 2 && literal.front() == '\'' && literal.back() == '\'');
    std::string text;
    for (std::size_t i = 1; i + 1 < literal.size(); ++i) {
        char ch = literal[i];
        if (ch == '\\') {
            ++i;
            require(i + 1 < literal.size());
            ch = literal[i];
            require(ch == '\\' || ch == '\'');
        } else {
            require(ch != '\'');
        }
        text += ch;
    }
    return text;
}

int hexValue(char ch) {
    if (ch >= '0' && ch <= '9') {
        return ch - '0';
    }
    require(ch >= 'a' && ch <= 'f');
    return ch - 'a' + 10;
}

// Reads back a double-quoted literal made by scriptStringLiteral.
std::string readDoubleQuoted(std::string_view literal) {
    require(literal.size() >= 2 && literal.front() == '"' && literal.back() == '"');
    std::string text;
    for (std::size_t i = 1; i + 1 < literal.size(); ++i) {
        const char ch = literal[i];
        require(ch != '"' && static_cast<unsigned char>(ch) >= 0x20 && ch != '\x7f');
        if (ch != '\\') {
            text += ch;
            continue;
        }
        require(i + 1 < literal.size() - 1);
        const char kind = literal[++i];
        if (kind == '\\' || kind == '"') {
            text += kind;
            continue;
        }
        require(kind == 'u' && i + 4 < literal.size() - 1);
        int code = 0;
        for (int k = 0; k < 4; ++k) {
            code = code * 16 + hexValue(literal[++i]);
        }
        if (code == 0x2028 || code == 0x2029) {
            text += "\xE2\x80";
            text += code == 0x2028 ? '\xA8' : '\xA9';
        } else {
            require(code < 0x20 || code == 0x7f);
            text += static_cast<char>(code);
        }
    }
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);

    const std::string cleaned = orvanta::map::cleanAddress(input);
    require(cleaned.empty() || (static_cast<unsigned char>(cleaned.front()) > 32 &&
                                static_cast<unsigned char>(cleaned.back()) > 32));
    require(cleaned.find_first_of("\r\n") == std::string::npos);

    const std::string call = orvanta::map::codeAddressCall(input);
    require(call.rfind("codeAddress(", 0) == 0 && call.back() == ')');
    require(readSingleQuoted(std::string_view(call).substr(12, call.size() - 13)) == cleaned);

    const std::string guarded = orvanta::map::guardedCallScript(call);
    const auto open = guarded.find("eval)(") + 6;
    const auto close = guarded.rfind(");return \"0\"");
    require(open != std::string::npos && close != std::string::npos && close > open);
    require(readDoubleQuoted(std::string_view(guarded).substr(open, close - open)) == call);

    const auto answer = orvanta::map::decodeGuardedAnswer(input);
    require(answer.failed || input == "0");
    require(!answer.failed || !answer.message.empty());
    return 0;
}
