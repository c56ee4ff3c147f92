// SPDX-License-Identifier: GPL-3.0-or-later
#include "rdap/DomainPage.h"

#include "RdapTestAnswers.h"
#include "rdap/AnswerDecoder.h"
#include "rdap/PageTemplate.h"
#include "webwhois/WebWhoisPage.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <regex>

namespace orvanta::rdap {
namespace {

using nlohmann::json;

// Every string in `value` replaced by `text`, member names kept.
void Poison(json& value, const std::string& text) {
    if (value.is_string()) {
        value = text;
    }
    if (!value.is_structured()) {
        return;
    }
    for (auto& item : value) {
        Poison(item, text);
    }
}

DomainReport FoundReport(const std::string& registryBody, const std::string& registrarBody) {
    DomainReport report;
    report.outcome = DomainReport::Outcome::Found;
    report.name = "shop.example";
    report.registry = {"https://registry.example/domain/shop.example",
                       200,
                       registryBody,
                       "",
                       AnswerDecoder().DecodeDomain(AnswerDecoder::Parse(registryBody)),
                       ""};
    report.registrar =
        ServerAnswer{"https://registrar.example/domain/shop.example",
                     200,
                     registrarBody,
                     "",
                     AnswerDecoder().DecodeDomain(AnswerDecoder::Parse(registrarBody)),
                     ""};
    return report;
}

// The tags of a page: every "<name" it holds.
std::set<std::string> Tags(const std::string& page) {
    std::set<std::string> tags;
    const std::regex tag("<(/?[a-zA-Z!][a-zA-Z0-9-]*)");
    for (auto it = std::sregex_iterator(page.begin(), page.end(), tag);
         it != std::sregex_iterator(); ++it) {
        tags.insert((*it)[1]);
    }
    return tags;
}

TEST(DomainPage, EveryTextFromTheAnswersIsEscaped) {
    const std::string hostile = "<script>alert(1)</script></pre></td><img src=x onerror=alert(2)>"
                                "\"'&\x01\x1b\x7f";
    json registry = json::parse(test::RegistryAnswer("x", "https://r.example/"));
    json registrar = json::parse(test::RegistrarAnswer("x"));
    Poison(registry, hostile);
    Poison(registrar, hostile);
    registry["objectClassName"] = "domain";
    registrar["objectClassName"] = "domain";
    const DomainReport report = FoundReport(registry.dump(), registrar.dump());
    const std::string page = DomainPage(report);
    const std::string clean = DomainPage(
        FoundReport(test::RegistryAnswer("x", "https://r.example/"), test::RegistrarAnswer("x")));
    // Hostile answers add no tag the page would not have anyway.
    EXPECT_EQ(Tags(page), Tags(clean));
    EXPECT_EQ(Tags(page).count("script"), 0u);
    EXPECT_EQ(Tags(page).count("img"), 0u);
    EXPECT_NE(page.find("&lt;script&gt;alert(1)&lt;/script&gt;&lt;/pre&gt;"), std::string::npos);
    EXPECT_EQ(page.find('\x01'), std::string::npos);
    EXPECT_EQ(page.find('\x1b'), std::string::npos);
    EXPECT_NE(page.find("content=\"" + webwhois::htmlEscape(webwhois::kPagePolicy) + "\""),
              std::string::npos);
}

TEST(DomainPage, NotFoundSaysSoWithTheRegistrysWords) {
    DomainReport report;
    report.outcome = DomainReport::Outcome::NotFound;
    report.name = "nope.example";
    report.registry = {
        "https://registry.example/domain/nope.example",
        404,
        R"({"errorCode":404,"title":"Object not found","description":["Try again"]})",
        "",
        std::nullopt,
        ""};
    report.notFound.title = "Object not found";
    report.notFound.description = {"Try again"};
    const std::string page = DomainPage(report);
    EXPECT_NE(page.find("No such domain: Object not found"), std::string::npos);
    EXPECT_NE(page.find("Try again"), std::string::npos);
    EXPECT_NE(page.find("answered HTTP 404"), std::string::npos);
}

TEST(PageTemplate, FillsTextEscapedAndMarkupAsIs) {
    const PageTemplate page("<!--#a-->\n<p>{{t}}|{{{m}}}|{{missing}}|{{t}}</p>\n<!--#b-->x{{\n");
    EXPECT_EQ(page.Fill("a", {{"t", "<&>"}, {"m", "<b>"}}),
              "<p>&lt;&amp;&gt;|<b>||&lt;&amp;&gt;</p>");
    EXPECT_EQ(page.Fill("b", {}), "x{{");
    EXPECT_THROW(page.Fill("c", {}), std::logic_error);
    // The built-in template has every fragment the page uses.
    for (const char* name : {"page", "section", "list", "table", "row", "rowlines", "line",
                             "notice", "note", "problem", "raw"}) {
        EXPECT_NO_THROW(PageTemplate::DomainPage().Fill(name, {})) << name;
    }
}

} // namespace
} // namespace orvanta::rdap
