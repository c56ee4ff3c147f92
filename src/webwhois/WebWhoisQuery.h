// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The domain name a web whois address asks for, and whether it is worth
// asking a WHOIS server about.

#include <string>
#include <string_view>

namespace orvanta::webwhois {

// Longest domain name DNS allows, in characters.
inline constexpr std::size_t kMaxDomainLength = 253;

// Percent-decodes `text`; "+" stays "+" and malformed escapes stay as
// they are.
std::string percentDecode(std::string_view text);

// The name in a web whois address's query ("query=<name> + &output=nice",
// still percent-encoded as the browser sends it): the first "query" value,
// decoded, with the tail's blanks and plus sign removed. Empty when there
// is no such value.
std::string nameFromQuery(std::string_view rawQuery);

// True for a non-empty name of letters, digits, hyphens and dots (ASCII)
// of at most kMaxDomainLength characters.
bool isPlausibleDomain(std::string_view name);

} // namespace orvanta::webwhois
