// SPDX-License-Identifier: GPL-3.0-or-later
#include "rdap/DomainLookup.h"

#include "rdap/AnswerDecoder.h"
#include "rdap/BootstrapCache.h"
#include "rdap/RdapError.h"
#include "rdap/RdapFetch.h"
#include "webwhois/WebWhoisQuery.h"

#include <nlohmann/json.hpp>

namespace orvanta::rdap {
namespace {

std::string Lower(std::string text) {
    for (char& ch : text) {
        if (ch >= 'A' && ch <= 'Z') {
            ch = static_cast<char>(ch - 'A' + 'a');
        }
    }
    return text;
}

bool IsRdapType(const std::string& type) {
    const std::string lower = Lower(type);
    return lower == kRdapMediaType || lower.rfind(std::string(kRdapMediaType) + ";", 0) == 0;
}

// Addresses compared as a server would see them: case of scheme and host
// and a final "/" do not matter (paths rarely differ only in case).
std::string Comparable(std::string url) {
    while (!url.empty() && url.back() == '/') {
        url.pop_back();
    }
    return Lower(std::move(url));
}

struct Cancelled {};

} // namespace

ServerAnswer DomainLookup::Ask(const std::string& url, const std::atomic<bool>* cancel) const {
    ServerAnswer answer;
    answer.url = url;
    try {
        http::Response response = FetchRdap(url, settings_.limits, cancel);
        answer.status = response.status;
        answer.finalUrl = std::move(response.url);
        answer.body = std::move(response.body);
        if (answer.status == 429) {
            answer.problem =
                url + " answered HTTP 429, too many requests" + RetryAfterNote(response);
        } else if (answer.status != 200) {
            answer.problem = url + " answered HTTP " + std::to_string(answer.status);
        } else {
            answer.domain = AnswerDecoder().DecodeDomain(AnswerDecoder::Parse(answer.body));
        }
    } catch (const http::HttpError& error) {
        if (error.kind() == http::HttpError::Kind::Cancelled) {
            throw Cancelled{};
        }
        answer.problem = error.what();
    } catch (const RdapError& error) {
        answer.problem = url + ": " + error.what();
    }
    return answer;
}

void DomainLookup::AskRegistrar(DomainReport& report, const std::atomic<bool>* cancel) const {
    for (const Link& link : report.registry.domain->links) {
        if (Lower(link.rel) != "related" || !IsRdapType(link.type)) {
            continue;
        }
        std::string why;
        if (!http::IsPermittedUrl(link.href, &why)) {
            report.registrarNote = "The registrar link " + link.href + " was not followed: " + why;
        } else if (Comparable(link.href) == Comparable(report.registry.url) ||
                   Comparable(link.href) == Comparable(report.registry.finalUrl)) {
            // The registry's own record, also where a redirect took the request.
            report.registrarNote =
                "The registrar link points back at the registry's own record; not followed.";
        } else {
            report.registrar = Ask(link.href, cancel);
        }
        return; // one registrar record at most
    }
}

DomainReport DomainLookup::Run(const std::string& name, const std::atomic<bool>* cancel) const {
    DomainReport report;
    report.name = Lower(name);
    // The name goes into the request's path: nothing but a host name may.
    if (!webwhois::isPlausibleDomain(report.name)) {
        // Appended piecewise: GCC 12 warns falsely (-Wrestrict) on "\"" + string at -O3.
        report.why.assign(1, '"');
        report.why += AnswerDecoder::Bounded(report.name, 64);
        report.why += "\" is not a domain name";
        return report;
    }
    try {
        std::optional<std::string> base;
        try {
            base = BootstrapCache(settings_)
                       .Load(Bootstrap::Kind::Domains, cancel)
                       .ServiceForDomain(report.name);
        } catch (const RdapError& error) {
            report.why = error.what();
            return report;
        } catch (const http::HttpError&) {
            throw Cancelled{}; // the only kind the cache lets through
        }
        if (!base) {
            const auto dot = report.name.rfind('.');
            report.why = "no RDAP service is listed for ." +
                         (dot == std::string::npos ? report.name : report.name.substr(dot + 1));
            return report;
        }
        report.registry = Ask(*base + "domain/" + report.name, cancel);
        if (report.registry.status == 404) {
            report.outcome = DomainReport::Outcome::NotFound;
            try {
                report.notFound =
                    AnswerDecoder().DecodeError(AnswerDecoder::Parse(report.registry.body));
            } catch (const RdapError&) {
                // A 404 without an RDAP error body still says "no such domain".
            }
            return report;
        }
        if (!report.registry.domain) {
            report.why = report.registry.problem;
            return report;
        }
        report.outcome = DomainReport::Outcome::Found;
        AskRegistrar(report, cancel);
    } catch (const Cancelled&) {
        report.outcome = DomainReport::Outcome::Cancelled;
    }
    return report;
}

} // namespace orvanta::rdap
