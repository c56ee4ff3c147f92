// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A domain's WHOIS record found the way WHOIS clients find it: ask the
// root server, follow its referral to the registry, and follow the
// registry's "Registrar WHOIS Server:" on to the registrar. Bounded: at
// most kMaxServers servers, never the same server twice, and each query
// within the WHOIS client's own bounds.

#include "net/TIdWhois.h"

#include <atomic>
#include <string>
#include <vector>

namespace orvanta::webwhois {

struct WhoisChainSettings {
    static constexpr const char* kRootServer = "whois.iana.org";
    static constexpr int kMaxServers = 4;

    std::string rootServer = kRootServer;
    int port = 43; // every server is asked on this port
    net::WhoisBounds bounds;
};

// One server asked, with its answer (as text to show) or what went wrong.
struct WhoisStep {
    std::string server;
    bool failed = false;
    std::string text;
};

struct WhoisChainResult {
    std::string name;
    std::vector<WhoisStep> steps;
    // Why the chain stopped where that is worth telling (no referral, the
    // server limit); empty when it ended normally.
    std::string note;
    // A line shown above the answers (why RDAP was not used); may be empty.
    std::string lead;
    bool cancelled = false;
};

class TWhoisChain {
public:
    explicit TWhoisChain(WhoisChainSettings settings) : FSettings(std::move(settings)) {}

    // Runs the chain for `name`. Between queries, `cancel` (when given) is
    // looked at: once set, no further server is asked. Never throws for
    // network failures: they become failed steps.
    WhoisChainResult run(const std::string& name, const std::atomic<bool>* cancel = nullptr) const;

private:
    WhoisStep ask(const std::string& server, const std::string& name) const;

    WhoisChainSettings FSettings;
};

} // namespace orvanta::webwhois
