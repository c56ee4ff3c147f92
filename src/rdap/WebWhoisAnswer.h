// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The web whois page for a domain name: RDAP where the name's registry
// offers it, else the WHOIS referral chain on port 43 with a line saying
// why RDAP was not used.

#include "rdap/Settings.h"
#include "webwhois/TWhoisChain.h"

#include <atomic>
#include <optional>
#include <string>

namespace orvanta::rdap {

struct WebWhoisSettings {
    Settings rdap;
    webwhois::WhoisChainSettings chain;
};

// The page for `name` (a plausible ASCII domain name); nothing when
// `cancel` was set before it was done.
std::optional<std::string> WebWhoisAnswer(const std::string& name, const WebWhoisSettings& settings,
                                          const std::atomic<bool>* cancel = nullptr);

} // namespace orvanta::rdap
