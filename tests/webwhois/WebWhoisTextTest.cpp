// SPDX-License-Identifier: GPL-3.0-or-later
// The name in a web whois address, referral lines, and the page's escaping.
#include "webwhois/WebWhoisPage.h"
#include "webwhois/WebWhoisQuery.h"
#include "webwhois/WhoisReferral.h"

#include <gtest/gtest.h>

namespace {

using namespace orvanta::webwhois;

TEST(WebWhoisQuery, NameFromBothAddressShapes) {
    struct Row {
        const char* name;
        const char* query;
        const char* expected;
    };
    // Queries as the browser hands them on: blanks written as %20.
    const Row rows[] = {
        {"search shape", "query=example.com%20+%20&output=nice", "example.com"},
        {"raw blanks", "query=example.com + &output=nice", "example.com"},
        {"blanks as plus", "query=example.com+++&output=nice", "example.com"},
        {"no tail", "query=example.com", "example.com"},
        {"percent-encoded name", "query=ex%26am%23ple%3F.com%25%20+%20&output=nice",
         "ex&am#ple?.com%"},
        {"encoded plus in name", "query=a%2Bb%20+%20&output=nice", "a+b"},
        {"trailing blank kept", "query=example.com%20%20+%20&output=nice", "example.com "},
        {"empty name", "query=%20+%20&output=nice", ""},
        {"no query value", "output=nice", ""},
        {"later parameter", "x=1&query=b.org%20+%20&output=nice", "b.org"},
        {"unencoded ampersand cuts", "query=a&b + &output=nice", "a"},
        {"bad escape kept", "query=a%zz%4", "a%zz%4"},
        {"utf8", "query=m%C3%BCnchen.de%20+%20", "m\xC3\xBCnchen.de"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(nameFromQuery(row.query), row.expected) << row.name;
    }
}

TEST(WebWhoisQuery, PlausibleDomains) {
    const std::string longest = std::string(250, 'a') + ".com";
    struct Row {
        const char* name;
        std::string domain;
        bool plausible;
    };
    const Row rows[] = {
        {"plain", "example.com", true},
        {"digits hyphens", "xn--mnchen-3ya.de", true},
        {"dotted quad", "192.0.2.1", true},
        {"empty", "", false},
        {"blank", "example .com", false},
        {"trailing blank", "example.com ", false},
        {"markup", "<b>.com", false},
        {"utf8", "m\xC3\xBCnchen.de", false},
        {"253 characters", longest.substr(1), true},
        {"254 characters", longest, false},
        {"crlf injection", "a.com\r\nhelp", false},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(isPlausibleDomain(row.domain), row.plausible) << row.name;
    }
}

TEST(WhoisReferral, FindsTheNextServer) {
    struct Row {
        const char* name;
        const char* answer;
        ReferralKind kind;
        const char* server; // "" for none
    };
    const auto registry = ReferralKind::Registry;
    const auto registrar = ReferralKind::Registrar;
    const Row rows[] = {
        {"refer", "domain: COM\nrefer:        whois.verisign-grs.com\n", registry,
         "whois.verisign-grs.com"},
        {"whois when no refer", "whois: whois.nic.example\r\n", registry, "whois.nic.example"},
        {"refer before whois", "whois: b.example\nrefer: a.example\n", registry, "a.example"},
        {"key case", "REFER: Whois.Example.\n", registry, "whois.example"},
        {"none", "% no objects\n", registry, ""},
        {"empty value", "refer:\nwhois:   \n", registry, ""},
        {"registrar", "   Registrar WHOIS Server: whois.markmonitor.com\r\n", registrar,
         "whois.markmonitor.com"},
        {"registrar as url", "Registrar WHOIS Server: http://whois.r.example/x\n", registrar,
         "whois.r.example"},
        {"registrar empty", "Registrar WHOIS Server: \nRegistrar WHOIS Server: w.example\n",
         registrar, "w.example"},
        {"registrar key ignored for root", "Registrar WHOIS Server: w.example\n", registry, ""},
        {"refer ignored for registrar", "refer: w.example\n", registrar, ""},
        {"junk value", "refer: <script>\n", registry, ""},
        {"key inside a line", "remarks: refer: w.example\n", registry, ""},
    };
    for (const auto& row : rows) {
        const auto found = findReferral(row.answer, row.kind);
        EXPECT_EQ(found.value_or(""), row.server) << row.name;
    }
}

TEST(WebWhoisPage, EscapesEveryAnswerCharacter) {
    WhoisChainResult result;
    result.name = "example.com";
    result.steps.push_back({"whois.iana.org", false,
                            "<script>alert(1)</script>\n<img src=x onerror=alert(2)>&amp;'\"\x01"});
    result.steps.push_back({"r.example", true, "Socket Error # 10061\nConnection refused."});
    result.note = "a < b";
    const std::string page = chainPage(result);
    EXPECT_EQ(page.find("<script"), std::string::npos);
    EXPECT_EQ(page.find("<img"), std::string::npos);
    EXPECT_NE(page.find("<pre>&lt;script&gt;alert(1)&lt;/script&gt;\n&lt;img src=x "
                        "onerror=alert(2)&gt;&amp;amp;&#39;&quot;\xEF\xBF\xBD</pre>"),
              std::string::npos);
    EXPECT_NE(page.find("<h2>Server: r.example</h2><pre class=\"failed\">Socket Error # 10061\n"),
              std::string::npos);
    EXPECT_NE(page.find("<p class=\"note\">a &lt; b</p>"), std::string::npos);
    EXPECT_NE(page.find("http-equiv=\"Content-Security-Policy\" content=\"default-src 'none';"),
              std::string::npos);
    EXPECT_LT(page.find("Content-Security-Policy"), page.find("<body>"));
}

TEST(WebWhoisPage, RefusedNames) {
    EXPECT_NE(refusedNamePage("").find("No domain name was given."), std::string::npos);
    const std::string page = refusedNamePage("<b>x</b>");
    EXPECT_NE(page.find("&quot;&lt;b&gt;x&lt;/b&gt;&quot; is not a domain name"),
              std::string::npos);
    EXPECT_EQ(page.find("<b>"), std::string::npos);
}

} // namespace
