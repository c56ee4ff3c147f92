// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The web whois page the program shows for a domain: the name, each server
// asked and its answer, every character of the answers escaped. The page
// forbids every script and every outside resource, so nothing a server
// sends can run or load anything.

#include "webwhois/TWhoisChain.h"

#include <string>
#include <string_view>

namespace orvanta::webwhois {

// The policy the pages carry.
inline constexpr std::string_view kPagePolicy =
    "default-src 'none'; style-src 'unsafe-inline'; img-src 'none'; script-src 'none'; "
    "base-uri 'none'; form-action 'none'";

// `text` (UTF-8) safe as HTML text and attribute value: & < > " ' as
// character references, control characters other than tab and line feed
// as U+FFFD.
std::string htmlEscape(std::string_view text);

// The page for a finished chain.
std::string chainPage(const WhoisChainResult& result);

// The page for a name that is not asked about: empty or not a plausible
// domain name.
std::string refusedNamePage(std::string_view name);

} // namespace orvanta::webwhois
