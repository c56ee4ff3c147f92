// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Running a call text so that every failure comes back as text: the call
// is evaluated in the page's global scope inside try/catch, which also
// catches a call text that is not valid script. The answer is "0" on
// success and "1" followed by the error's text on failure.

#include <string>
#include <string_view>

namespace orvanta::map {

// A double-quoted script string literal holding `text` (UTF-8) exactly.
std::string scriptStringLiteral(std::string_view text);

// The guarded script to hand to the browser for one call text.
std::string guardedCallScript(std::string_view callText);

// What a guarded script's answer means.
struct GuardedAnswer {
    bool failed = false;
    std::string message; // the error text, tidied (see scriptErrorMessage)
};

// Decodes the answer of guardedCallScript. Anything that is not one of its
// two shapes counts as a failure.
GuardedAnswer decodeGuardedAnswer(std::string_view answer);

// The engine's error description less trailing blanks, control characters
// and full stops; "Script call failed" when nothing is left.
std::string scriptErrorMessage(std::string_view description);

} // namespace orvanta::map
