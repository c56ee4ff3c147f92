// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Where a WHOIS answer sends the asker next, the way WHOIS clients follow
// it: the root names the registry ("refer:", else "whois:"), a registry
// names the registrar ("Registrar WHOIS Server:").

#include <optional>
#include <string>
#include <string_view>

namespace orvanta::webwhois {

enum class ReferralKind {
    Registry,  // "refer:" or "whois:" lines, as the root server writes them
    Registrar, // "Registrar WHOIS Server:" lines, as registries write them
};

// The server named by the first matching line (keys in any letter case,
// leading blanks allowed), in the form normalizeServer gives; nothing when
// no line names a usable server.
std::optional<std::string> findReferral(std::string_view answer, ReferralKind kind);

// A server value as a host name: blanks trimmed, a "scheme://" prefix and
// anything from the first "/" or blank dropped, a final dot dropped, lower
// case. Nothing when what is left is not a plausible host name.
std::optional<std::string> normalizeServer(std::string_view value);

} // namespace orvanta::webwhois
