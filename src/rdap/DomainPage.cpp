// SPDX-License-Identifier: GPL-3.0-or-later
#include "rdap/DomainPage.h"

#include "rdap/AnswerDecoder.h"
#include "rdap/NetworkText.h"
#include "rdap/PageTemplate.h"
#include "rdap/RdapError.h"
#include "webwhois/WebWhoisPage.h"

#include <nlohmann/json.hpp>

namespace orvanta::rdap {
namespace {

// The raw answers shown are cut here; the tables above hold what matters.
constexpr std::size_t kMaxRawShown = 512 * 1024;

const PageTemplate& Page() {
    return PageTemplate::DomainPage();
}

class Rows {
public:
    void Add(std::string_view label, const std::string& value) {
        if (!value.empty()) {
            html_ += Page().Fill("row", {{"label", label}, {"value", value}});
        }
    }
    void AddLines(std::string_view label, const std::vector<std::string>& lines) {
        std::string html;
        for (const std::string& line : lines) {
            if (!line.empty()) {
                html += Page().Fill("line", {{"text", line}});
            }
        }
        if (!html.empty()) {
            html_ += Page().Fill("rowlines", {{"label", label}, {"lines", html}});
        }
    }
    std::string Table() const {
        return html_.empty() ? std::string() : Page().Fill("table", {{"rows", html_}});
    }

private:
    std::string html_;
};

std::string Joined(const std::vector<std::string>& parts, std::string_view separator) {
    std::string out;
    for (const std::string& part : parts) {
        if (!part.empty()) {
            out += out.empty() ? part : std::string(separator) + part;
        }
    }
    return out;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) {
        return false;
    }
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if ((text[i] | 0x20) != (prefix[i] | 0x20)) {
            return false;
        }
    }
    return true;
}

bool ContainsNoCase(std::string_view text, std::string_view part) {
    for (std::size_t i = 0; i + part.size() <= text.size(); ++i) {
        if (StartsWithNoCase(text.substr(i), part)) {
            return true;
        }
    }
    return false;
}

// RFC 9537 names redacted fields "Registrant Name", "Tech Email", ...
bool IsRedacted(const Domain& domain, std::string_view rolePrefix, std::string_view field) {
    for (const Redaction& redaction : domain.redactions) {
        if (StartsWithNoCase(redaction.name, rolePrefix) &&
            (field.empty() || ContainsNoCase(redaction.name, field))) {
            return true;
        }
    }
    return false;
}

void AddRegistrar(Rows& rows, const Domain& domain) {
    const Entity* registrar = FindRole(domain.entities, "registrar");
    if (registrar == nullptr) {
        return;
    }
    const Contact& c = registrar->contact;
    rows.Add("Registrar", c.name.empty() ? c.organisation : c.name);
    for (const PublicId& id : registrar->publicIds) {
        if (id.type == "IANA Registrar ID") {
            rows.Add("IANA ID", id.identifier);
        }
    }
    if (const Entity* abuse = FindRole(registrar->entities, "abuse")) {
        rows.Add("Abuse e-mail", abuse->contact.email);
        rows.Add("Abuse phone", abuse->contact.phone);
    }
}

void AddContacts(Rows& rows, const Domain& domain) {
    static constexpr struct {
        const char* role;
        const char* label;
        const char* redactionPrefix;
    } kRoles[] = {{"registrant", "Registrant", "Registrant"},
                  {"administrative", "Administrative contact", "Admin"},
                  {"technical", "Technical contact", "Tech"},
                  {"billing", "Billing contact", "Billing"}};
    for (const auto& role : kRoles) {
        const Entity* entity = FindRole(domain.entities, role.role);
        const bool anyRedacted = IsRedacted(domain, role.redactionPrefix, "");
        if (entity == nullptr && !anyRedacted) {
            continue;
        }
        const Contact contact = entity ? entity->contact : Contact{};
        const std::pair<const char*, const std::string*> fields[] = {
            {"Name", &contact.name},
            {"Organization", &contact.organisation},
            {"Country", &contact.country},
            {"Email", &contact.email},
            {"Phone", &contact.phone}};
        std::vector<std::string> lines;
        for (const auto& [field, value] : fields) {
            if (!value->empty()) {
                lines.push_back(std::string(field) + ": " + *value);
            } else if (IsRedacted(domain, role.redactionPrefix, field)) {
                lines.push_back(std::string(field) + ": redacted");
            }
        }
        if (lines.empty()) {
            lines.push_back(anyRedacted ? "redacted" : "no details given");
        }
        rows.AddLines(role.label, lines);
    }
}

std::string DomainTable(const Domain& domain) {
    Rows rows;
    std::string name = domain.ldhName;
    if (!domain.unicodeName.empty() && domain.unicodeName != domain.ldhName) {
        name += name.empty() ? domain.unicodeName : " (" + domain.unicodeName + ")";
    }
    rows.Add("Name", name);
    rows.Add("Handle", domain.handle);
    rows.Add("Status", Joined(domain.status, ", "));
    rows.Add("Registered", EventDate(domain.events, "registration"));
    rows.Add("Expires", EventDate(domain.events, "expiration"));
    rows.Add("Last changed", EventDate(domain.events, "last changed"));
    AddRegistrar(rows, domain);
    std::vector<std::string> servers;
    for (const NameServer& server : domain.nameServers) {
        servers.push_back(Joined({server.ldhName, Joined(server.addresses, ", ")}, " "));
    }
    rows.AddLines("Name servers", servers);
    const SecureDns& dns = domain.secureDns;
    std::vector<std::string> dnssec;
    if (dns.delegationSigned) {
        dnssec.push_back(*dns.delegationSigned ? "signed delegation" : "unsigned");
    }
    for (const DelegationSigner& ds : dns.dsData) {
        dnssec.push_back("DS key tag " + ds.keyTag + ", algorithm " + ds.algorithm +
                         ", digest type " + ds.digestType + ", digest " + ds.digest);
    }
    rows.AddLines("DNSSEC", dnssec);
    AddContacts(rows, domain);
    std::vector<std::string> redacted;
    for (const Redaction& redaction : domain.redactions) {
        redacted.push_back(redaction.name);
    }
    rows.Add("Redacted fields", Joined(redacted, ", "));
    return rows.Table();
}

std::string Notices(const std::vector<Notice>& notices) {
    std::string html;
    for (const Notice& notice : notices) {
        std::string lines;
        for (const std::string& line : notice.description) {
            lines += Page().Fill("line", {{"text", line}});
        }
        html += Page().Fill("notice", {{"title", notice.title}, {"lines", lines}});
    }
    return html;
}

// The answer re-indented for reading (escaped by the fragment); nothing
// for an answer that is not JSON, whose problem line says so.
std::string RawAnswer(const ServerAnswer& answer) {
    std::string text;
    try {
        text = AnswerDecoder::Parse(answer.body).dump(2);
    } catch (const RdapError&) {
        return {};
    }
    return Page().Fill("raw", {{"summary", "The answer of " + answer.url},
                               {"text", AnswerDecoder::Bounded(text, kMaxRawShown)}});
}

std::string Said(std::string_view who, const ServerAnswer& answer) {
    std::string text = std::string(who) + ": " + answer.url;
    if (!answer.finalUrl.empty() && answer.finalUrl != answer.url) {
        text += ", redirected to " + answer.finalUrl + ",";
    }
    if (answer.status != 0) {
        text += " answered HTTP " + std::to_string(answer.status);
    }
    if (!answer.problem.empty()) {
        text += " - " + answer.problem;
    }
    return text;
}

std::string Section(std::string_view heading, const ServerAnswer& answer) {
    std::string content;
    if (answer.domain) {
        content = DomainTable(*answer.domain) + Notices(answer.domain->notices) +
                  Notices(answer.domain->remarks);
    } else {
        content = Page().Fill("problem", {{"text", answer.problem}});
    }
    return Page().Fill("section",
                       {{"heading", heading}, {"source", answer.url}, {"content", content}});
}

std::string NotFoundBody(const DomainReport& report) {
    std::string text = "No such domain";
    if (!report.notFound.title.empty()) {
        text += ": " + report.notFound.title;
    }
    std::string content = Page().Fill("problem", {{"text", text}});
    for (const std::string& line : report.notFound.description) {
        content += Page().Fill("line", {{"text", line}});
    }
    return Page().Fill(
        "section",
        {{"heading", "Registry"}, {"source", report.registry.url}, {"content", content}});
}

} // namespace

std::string DomainPage(const DomainReport& report) {
    std::string body;
    if (report.outcome == DomainReport::Outcome::NotFound) {
        body = NotFoundBody(report);
    } else {
        body = Section("Registry", report.registry);
        if (report.registrar) {
            body += Section("Registrar", *report.registrar);
        }
    }
    if (!report.registrarNote.empty()) {
        body += Page().Fill("note", {{"text", report.registrarNote}});
    }
    std::string said = Page().Fill("line", {{"text", Said("Registry", report.registry)}});
    if (report.registrar) {
        said += Page().Fill("line", {{"text", Said("Registrar", *report.registrar)}});
    }
    body += Page().Fill("list", {{"heading", "Servers asked"}, {"content", said}});
    body += RawAnswer(report.registry);
    if (report.registrar) {
        body += RawAnswer(*report.registrar);
    }
    const std::string title = "Whois: " + report.name;
    return Page().Fill("page",
                       {{"policy", webwhois::kPagePolicy}, {"title", title}, {"body", body}});
}

} // namespace orvanta::rdap
