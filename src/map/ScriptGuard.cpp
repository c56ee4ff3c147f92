// SPDX-License-Identifier: GPL-3.0-or-later
#include "map/ScriptGuard.h"

namespace orvanta::map {

std::string scriptStringLiteral(std::string_view text) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string literal;
    literal.reserve(text.size() + 2);
    literal += '"';
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == '"' || c == '\\') {
            literal += '\\';
            literal += static_cast<char>(c);
        } else if (c < 0x20 || c == 0x7F) {
            literal += "\\u00";
            literal += kHex[c >> 4];
            literal += kHex[c & 0x0F];
        } else if (c == 0xE2 && i + 2 < text.size() && text[i + 1] == '\x80' &&
                   (text[i + 2] == '\xA8' || text[i + 2] == '\xA9')) {
            // U+2028 and U+2029 end a line in older script engines.
            literal += text[i + 2] == '\xA8' ? "\\u2028" : "\\u2029";
            i += 2;
        } else {
            literal += static_cast<char>(c);
        }
    }
    literal += '"';
    return literal;
}

std::string guardedCallScript(std::string_view callText) {
    std::string script = "(function(){try{(0,eval)(";
    script += scriptStringLiteral(callText);
    script +=
        ");return \"0\";}catch(e){var m;try{m=String(e);}catch(f){m=\"\";}return \"1\"+m;}})()";
    return script;
}

GuardedAnswer decodeGuardedAnswer(std::string_view answer) {
    if (answer == "0") {
        return {};
    }
    if (!answer.empty() && answer.front() == '1') {
        return {true, scriptErrorMessage(answer.substr(1))};
    }
    return {true, scriptErrorMessage({})};
}

std::string scriptErrorMessage(std::string_view description) {
    std::size_t end = description.size();
    while (end > 0) {
        const auto c = static_cast<unsigned char>(description[end - 1]);
        if (c > 32 && c != '.' && c != 0x7F) {
            break;
        }
        --end;
    }
    if (end == 0) {
        return "Script call failed";
    }
    return std::string(description.substr(0, end));
}

} // namespace orvanta::map
