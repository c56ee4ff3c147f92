// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Addresses of the web whois pages. The host names the program's own site
// under the reserved "localhost" top-level domain, so a lookup can never be
// sent to a stranger's server; the program answers this host itself.

#include <string>
#include <string_view>

namespace orvanta::net {

inline constexpr std::string_view kWebWhoisHost = "whois.orvanta.localhost";
inline constexpr std::string_view kWebWhoisSearchPath = "/whois/whois.php?query=";
inline constexpr std::string_view kWebWhoisExamplePath = "/phpwhois-4.2.2/example.php?query=";
// Kept as the pages have always been asked: blank, plus, blank, then the
// output option.
inline constexpr std::string_view kWebWhoisTail = " + &output=nice";

// `value` percent-encoded for use as a query value: every byte except
// A-Z a-z 0-9 - . _ ~ becomes %XX (upper-case hex), so "&", "#", "?", "%"
// or a blank in a name cannot change the rest of the address.
std::string PercentEncodeQueryValue(std::string_view value);

// "http://<host>/whois/whois.php?query=<name> + &output=nice".
std::string WebWhoisSearchAddress(std::string_view name);

// "http://<host>/phpwhois-4.2.2/example.php?query=<name> + &output=nice".
std::string WebWhoisExampleAddress(std::string_view name);

} // namespace orvanta::net
