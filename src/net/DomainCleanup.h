// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The clean-up the domain field applies to its text after every change:
// "www.", "http://", "https://" and "/" are removed (ASCII letters in either
// case), pass after pass, until a pass removes nothing. Other characters,
// and the case of letters left standing, are kept.

#include <string>
#include <string_view>

namespace orvanta::net {

// One removal step: every non-overlapping occurrence of `pattern`, found
// from the left and ignoring ASCII letter case, taken out of `text`.
std::string RemoveIgnoringCase(std::string_view text, std::string_view pattern);

// The settled text of the domain field.
std::string CleanDomain(std::string_view text);

} // namespace orvanta::net
