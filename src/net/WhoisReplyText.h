// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Turns the bytes of a WHOIS reply into the text a window shows: cut at the
// first NUL byte, CR LF / lone CR / lone LF each become one '\n', decoded
// as UTF-8 when the bytes are valid UTF-8, else read as Latin-1. The result
// is always valid UTF-8.

#include <string>
#include <string_view>

namespace orvanta::net {

std::string WhoisReplyText(std::string_view reply);

// True when `bytes` is well-formed UTF-8 (no overlong forms, no surrogates,
// nothing above U+10FFFF).
bool IsValidUtf8(std::string_view bytes);

} // namespace orvanta::net
