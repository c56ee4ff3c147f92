// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A domain's registration data the way RDAP clients find it: the bootstrap
// file names the registry's service, the registry answers for the name,
// and a "related" RDAP link in its answer leads once to the registrar's
// record. Nothing is asked twice and every request is bounded; a request
// for a name the registry does not know is an answer ("no such domain"),
// anything else that keeps the registry from answering makes RDAP
// unavailable for this name, with the reason.

#include "rdap/RdapRecords.h"
#include "rdap/Settings.h"

#include <atomic>
#include <optional>
#include <string>

namespace orvanta::rdap {

// One server asked, and what came of it.
struct ServerAnswer {
    std::string url;     // as asked
    long status = 0;     // 0 when no answer came
    std::string body;    // the answer as it came
    std::string problem; // why it cannot be shown; empty when `domain` is set
    std::optional<Domain> domain;
    std::string finalUrl; // where the answer came from, after redirects
};

struct DomainReport {
    enum class Outcome { Found, NotFound, Unavailable, Cancelled };

    Outcome outcome = Outcome::Unavailable;
    std::string name;
    ServerAnswer registry;
    std::optional<ServerAnswer> registrar;
    std::string registrarNote; // a registrar link that was not followed, and why
    ErrorAnswer notFound;      // the registry's own words for a 404
    std::string why;           // Unavailable: why RDAP could not be used
};

class DomainLookup {
public:
    explicit DomainLookup(Settings settings) : settings_(std::move(settings)) {}

    // `name` is an ASCII domain name (an international one in its ACE form).
    DomainReport Run(const std::string& name, const std::atomic<bool>* cancel = nullptr) const;

private:
    ServerAnswer Ask(const std::string& url, const std::atomic<bool>* cancel) const;
    void AskRegistrar(DomainReport& report, const std::atomic<bool>* cancel) const;

    Settings settings_;
};

} // namespace orvanta::rdap
