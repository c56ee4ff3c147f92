// SPDX-License-Identifier: GPL-3.0-or-later
#include "rdap/WebWhoisAnswer.h"

#include "rdap/DomainLookup.h"
#include "rdap/DomainPage.h"
#include "webwhois/WebWhoisPage.h"

namespace orvanta::rdap {

std::optional<std::string> WebWhoisAnswer(const std::string& name, const WebWhoisSettings& settings,
                                          const std::atomic<bool>* cancel) {
    const DomainReport report = DomainLookup(settings.rdap).Run(name, cancel);
    switch (report.outcome) {
    case DomainReport::Outcome::Cancelled:
        return std::nullopt;
    case DomainReport::Outcome::Found:
    case DomainReport::Outcome::NotFound:
        return DomainPage(report);
    case DomainReport::Outcome::Unavailable:
        break;
    }
    webwhois::WhoisChainResult chain = webwhois::TWhoisChain(settings.chain).run(name, cancel);
    if (chain.cancelled) {
        return std::nullopt;
    }
    chain.lead = "RDAP was not used: " + report.why;
    return webwhois::chainPage(chain);
}

} // namespace orvanta::rdap
