// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The web whois page for a domain that RDAP answered for: the registry's
// record and the registrar's, as readable tables (name, status, dates,
// registrar, name servers, DNSSEC, contacts, notices), which server said
// what, and each answer as JSON in a collapsed section. Built from the
// page template, so every text from an answer is escaped; the page carries
// the web whois pages' policy: no script, nothing loaded.

#include "rdap/DomainLookup.h"

#include <string>

namespace orvanta::rdap {

// For a report whose outcome is Found or NotFound.
std::string DomainPage(const DomainReport& report);

} // namespace orvanta::rdap
