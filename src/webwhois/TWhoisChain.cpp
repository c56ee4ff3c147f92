// SPDX-License-Identifier: GPL-3.0-or-later
#include "webwhois/TWhoisChain.h"

#include "net/WhoisReplyText.h"
#include "webwhois/WhoisReferral.h"

#include <algorithm>
#include <exception>

namespace orvanta::webwhois {
namespace {

// Socket errors read "Socket Error # n\r\ntext"; on a page one line break
// is enough.
std::string errorText(const std::exception& error) {
    std::string text = error.what();
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            continue;
        }
        out += text[i];
    }
    return out.empty() ? std::string("The query failed without a message") : out;
}

} // namespace

WhoisStep TWhoisChain::ask(const std::string& server, const std::string& name) const {
    WhoisStep step;
    step.server = server;
    try {
        net::TIdWhois client;
        client.SetHost(server);
        client.SetPort(FSettings.port);
        client.SetBounds(FSettings.bounds);
        step.text = net::WhoisReplyText(client.Query(name));
    } catch (const std::exception& error) {
        step.failed = true;
        step.text = errorText(error);
    }
    return step;
}

WhoisChainResult TWhoisChain::run(const std::string& name, const std::atomic<bool>* cancel) const {
    WhoisChainResult result;
    result.name = name;
    std::string server = normalizeServer(FSettings.rootServer).value_or(FSettings.rootServer);
    ReferralKind next = ReferralKind::Registry;
    std::vector<std::string> asked;
    while (true) {
        if (cancel != nullptr && cancel->load()) {
            result.cancelled = true;
            return result;
        }
        asked.push_back(server);
        result.steps.push_back(ask(server, name));
        const WhoisStep& step = result.steps.back();
        if (step.failed) {
            return result;
        }
        const auto referral = findReferral(step.text, next);
        if (!referral) {
            if (next == ReferralKind::Registry) {
                result.note = "No referral: " + server + " names no WHOIS server for this name.";
            }
            return result;
        }
        if (std::find(asked.begin(), asked.end(), *referral) != asked.end()) {
            return result; // a server naming itself, or a loop
        }
        if (static_cast<int>(asked.size()) >= WhoisChainSettings::kMaxServers) {
            result.note = "Stopped after " + std::to_string(WhoisChainSettings::kMaxServers) +
                          " servers; the last answer names " + *referral + ".";
            return result;
        }
        server = *referral;
        next = ReferralKind::Registrar;
    }
}

} // namespace orvanta::webwhois
