// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// IsInvalidAddressText: the gate in front of every lookup. It accepts only a
// plain dotted quad written in decimal, where a group that starts with "0" is
// zero, so that reading the groups as decimal or (like inet_addr) as octal
// names the same address. Returns true when the text is to be rejected.
//
// Throws EConvertError when the first three groups pass and the fourth group's
// digits exceed 2147483647: that is reported to the user, not a silent reject.
// Texts of 256 characters or more are rejected without looking further.
#include <string_view>

bool IsInvalidAddressText(std::string_view text);
