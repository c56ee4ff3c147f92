// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The readable text record of an IP network for the IP whois window: one
// "Label: value" line per field that has a value, then the remarks, then
// the address the record came from.

#include "rdap/RdapRecords.h"

#include <string>
#include <string_view>

namespace orvanta::rdap {

std::string NetworkText(const IpNetwork& network, const std::string& source);

// A one-line text to show: line breaks become blanks, other control
// characters U+FFFD.
std::string OneLine(std::string_view text);

// The first entity with `role`, looked for in nested entities too (depth
// first), or nullptr.
const Entity* FindRole(const std::vector<Entity>& entities, const std::string& role);

// The date of the first event with `action`, or "".
std::string EventDate(const std::vector<Event>& events, std::string_view action);

} // namespace orvanta::rdap
