// SPDX-License-Identifier: GPL-3.0-or-later
#include "tabletext/DecimalPoint.h"

namespace orvanta::tabletext {

namespace {
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Length of the run of digits at `at`.
std::size_t Digits(std::string_view s, std::size_t at) {
    std::size_t n = 0;
    while (at + n < s.size() && IsDigit(s[at + n]))
        ++n;
    return n;
}

// True when s[at..] is empty or an exponent: "e", a sign, digits.
bool ExponentOrEnd(std::string_view s, std::size_t at) {
    if (at == s.size())
        return true;
    if (s[at] != 'e' || at + 1 >= s.size() || (s[at + 1] != '-' && s[at + 1] != '+'))
        return false;
    const std::size_t n = Digits(s, at + 2);
    return n > 0 && at + 2 + n == s.size();
}

// A separator is one character: an ASCII byte, or a UTF-8 sequence of up
// to four bytes; never a digit, sign or exponent letter.
std::size_t SeparatorLength(std::string_view s, std::size_t at) {
    if (at >= s.size())
        return 0;
    const auto lead = static_cast<unsigned char>(s[at]);
    if (lead < 0x80)
        return IsDigit(s[at]) || s[at] == '-' || s[at] == '+' || s[at] == 'e' ? 0 : 1;
    const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
    if (length == 0 || at + length > s.size())
        return 0;
    for (std::size_t i = 1; i < length; ++i)
        if ((static_cast<unsigned char>(s[at + i]) & 0xC0) != 0x80)
            return 0;
    return length;
}
} // namespace

std::string WithDecimalPoint(std::string_view text) {
    std::size_t at = text.starts_with('-') ? 1 : 0;
    const std::size_t whole = Digits(text, at);
    if (whole == 0)
        return std::string(text);
    at += whole;
    if (ExponentOrEnd(text, at))
        return std::string(text); // no separator to replace
    const std::size_t separator = SeparatorLength(text, at);
    const std::size_t fraction = separator ? Digits(text, at + separator) : 0;
    if (fraction == 0 || !ExponentOrEnd(text, at + separator + fraction))
        return std::string(text);
    std::string converted(text.substr(0, at));
    converted += '.';
    converted += text.substr(at + separator);
    return converted;
}

} // namespace orvanta::tabletext
