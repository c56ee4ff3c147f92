// SPDX-License-Identifier: GPL-3.0-or-later
// The web whois page's RDAP road against loopback servers playing IANA's
// bootstrap folder, a registry and a registrar, with a loopback WHOIS root
// for the port-43 fallback.
#include "rdap/DomainLookup.h"

#include "LoopbackWhoisServer.h"
#include "RdapTestAnswers.h"
#include "TempFolder.h"
#include "rdap/WebWhoisAnswer.h"

#include <gtest/gtest.h>

namespace orvanta::rdap {
namespace {

using namespace std::chrono_literals;
using test::FakeRdapServer;
using test::HttpReply;
using test::JsonReply;
using test::LoopbackWhoisServer;

class RdapRoad : public testing::Test {
protected:
    RdapRoad()
        : iana_(std::make_unique<FakeRdapServer>("127.0.0.1")), registry_("127.0.0.2"),
          registrar_("127.0.0.3"),
          whois_(LoopbackWhoisServer::Answering("127.0.0.1", 0, "% port 43 says hello\n")) {
        iana_->Set("/dns.json", JsonReply(test::DnsBootstrap({"example"}, registry_.Base())));
    }

    WebWhoisSettings Settings() const {
        WebWhoisSettings settings;
        settings.rdap.bootstrapBase = bootstrapBase_;
        settings.rdap.cacheDir = cache_.path() / "rdap";
        settings.rdap.limits.connectTimeout = 2s;
        settings.rdap.limits.totalTimeout = 4s;
        settings.chain.rootServer = "127.0.0.1";
        settings.chain.port = whois_.Port();
        return settings;
    }

    std::string Page(const std::string& name) {
        return WebWhoisAnswer(name, Settings()).value_or("(cancelled)");
    }

    void RegistryAnswers(const std::string& related) {
        registry_.Set("/domain/shop.example",
                      JsonReply(test::RegistryAnswer("SHOP.EXAMPLE", related)));
    }

    test::TempFolder cache_;
    std::unique_ptr<FakeRdapServer> iana_;
    std::string bootstrapBase_ = iana_->Base();
    FakeRdapServer registry_;
    FakeRdapServer registrar_;
    LoopbackWhoisServer whois_;
};

bool Has(const std::string& page, const std::string& text) {
    return page.find(text) != std::string::npos;
}

TEST_F(RdapRoad, RegistryThenRegistrarOnOnePage) {
    RegistryAnswers(registrar_.Base() + "domain/shop.example");
    registrar_.Set("/domain/shop.example", JsonReply(test::RegistrarAnswer("shop.example")));
    const std::string page = Page("Shop.Example");
    for (const std::string& shown : std::vector<std::string>{
             "<title>Whois: shop.example</title>", "SHOP.EXAMPLE", "client delete prohibited",
             "1997-09-15T04:00:00Z", "2028-09-14T04:00:00Z", "Example Registrar, Inc.",
             "<th>IANA ID</th><td>292</td>", "abuse@registrar.example", "+1.5555550100",
             "NS2.EXAMPLE.NET 192.0.2.53", "signed delegation", "DS key tag 370, algorithm 13",
             "Organization: Example Holdings", "Country: CA", "Name: redacted", "Email: redacted",
             "Terms of Use",
             "Registrar: " + registrar_.Base() + "domain/shop.example answered HTTP 200",
             "<details><summary>The answer of " + registry_.Base() + "domain/shop.example"}) {
        EXPECT_TRUE(Has(page, shown)) << shown;
    }
    EXPECT_FALSE(Has(page, "<script"));
    EXPECT_EQ(iana_->Targets(), std::vector<std::string>{"/dns.json"});
    EXPECT_EQ(registry_.Targets(), std::vector<std::string>{"/domain/shop.example"});
    EXPECT_EQ(registrar_.Targets(), std::vector<std::string>{"/domain/shop.example"});
    EXPECT_TRUE(whois_.Queries().empty());
}

TEST_F(RdapRoad, RegistryFailuresFallBackToPort43OrSayNoSuchDomain) {
    HttpReply redirect{302, {{"Location", "http://192.0.2.1/domain/shop.example"}}, "", 0ms, false};
    HttpReply loop{302, {{"Location", registry_.Base() + "domain/shop.example"}}, "", 0ms, false};
    HttpReply slow = JsonReply(test::RegistryAnswer("shop.example", ""));
    slow.delay = 6s;
    const struct {
        const char* name;
        HttpReply reply;
        const char* shown;
        bool fallback;
    } rows[] = {
        {"not found with a title", JsonReply(R"({"errorCode": 404, "title": "<b>Gone</b>"})", 404),
         "No such domain: &lt;b&gt;Gone&lt;/b&gt;", false},
        {"not found without a body", HttpReply{404, {}, "", 0ms, false}, "No such domain", false},
        {"rate limited", HttpReply{429, {{"Retry-After", "120"}}, "", 0ms, false},
         "answered HTTP 429, too many requests (retry after 120)", true},
        {"server error", JsonReply("{}", 500), "answered HTTP 500", true},
        {"not JSON", HttpReply{200, {}, "<html>hello</html>", 0ms, false}, "not usable JSON", true},
        {"wrong object class", JsonReply(R"({"objectClassName": "entity"})"),
         "is a &quot;entity&quot; object", true},
        {"redirect to plain http", redirect, "RDAP was not used: ", true},
        {"redirect loop", loop, "RDAP was not used: ", true},
        {"slower than the bound", slow, "RDAP was not used: ", true},
        {"connection dropped", HttpReply{200, {}, "", 0ms, true}, "RDAP was not used: ", true},
    };
    std::size_t queries = 0;
    for (const auto& row : rows) {
        registry_.Set("/domain/shop.example", row.reply);
        const std::string page = Page("shop.example");
        EXPECT_TRUE(Has(page, row.shown)) << row.name << "\n" << page;
        EXPECT_EQ(Has(page, "port 43 says hello"), row.fallback) << row.name;
        if (row.fallback) {
            ++queries;
        }
        EXPECT_EQ(whois_.Queries().size(), queries) << row.name;
    }
}

TEST_F(RdapRoad, NamesThatAreNoHostNamesNeverReachAServer) {
    for (const char* name : {"../x.example", "a.example?b", "a b.example", ""}) {
        const DomainReport report = DomainLookup(Settings().rdap).Run(name);
        EXPECT_EQ(report.outcome, DomainReport::Outcome::Unavailable) << name;
        EXPECT_NE(report.why.find("is not a domain name"), std::string::npos) << report.why;
    }
    EXPECT_TRUE(iana_->Targets().empty());
}

TEST_F(RdapRoad, RedirectedAnswersNameWhereTheyCameFrom) {
    registry_.Set("/domain/shop.example",
                  HttpReply{301,
                            {{"Location", registrar_.Base() + "moved/shop.example"}},
                            "",
                            std::chrono::milliseconds(0),
                            false});
    // Its registrar link names the address the answer came from: the same record.
    registrar_.Set(
        "/moved/shop.example",
        JsonReply(test::RegistryAnswer("shop.example", registrar_.Base() + "moved/shop.example")));
    const std::string page = Page("shop.example");
    EXPECT_TRUE(Has(page, "Registry: " + registry_.Base() + "domain/shop.example, redirected to " +
                              registrar_.Base() + "moved/shop.example, answered HTTP 200"))
        << page;
    EXPECT_TRUE(Has(page, "points back")) << page;
    EXPECT_EQ(registrar_.Targets(), std::vector<std::string>{"/moved/shop.example"});
}

TEST_F(RdapRoad, NoServiceForTheNameMeansPort43) {
    const std::string page = Page("example.test");
    EXPECT_TRUE(Has(page, "RDAP was not used: no RDAP service is listed for .test")) << page;
    EXPECT_TRUE(Has(page, "port 43 says hello"));
    EXPECT_EQ(whois_.Queries(), std::vector<std::string>{"example.test\r\n"});
}

TEST_F(RdapRoad, RegistrarLinksThatAreNotFollowed) {
    const struct {
        const char* name;
        std::string related;
        const char* note; // nullptr: no note
        bool asked;
    } rows[] = {
        {"plain http elsewhere", "http://registrar.example/domain/shop.example", "not followed",
         false},
        {"back at the registry", registry_.Base() + "domain/shop.example/", "points back", false},
        {"relative address", "/domain/shop.example", "not followed", false},
        {"failing registrar", registrar_.Base() + "domain/broken", nullptr, true},
    };
    std::size_t asked = 0;
    for (const auto& row : rows) {
        RegistryAnswers(row.related);
        const std::string page = Page("shop.example");
        EXPECT_TRUE(Has(page, "Example Registrar, Inc.")) << row.name;
        EXPECT_EQ(Has(page, "not followed") || Has(page, "points back"), row.note != nullptr)
            << row.name;
        if (row.note) {
            EXPECT_TRUE(Has(page, row.note)) << row.name;
        }
        asked += row.asked ? 1 : 0;
        EXPECT_EQ(registrar_.Targets().size(), asked) << row.name;
    }
    // A related link of another type is not a registrar record.
    registry_.Set("/domain/shop.example",
                  JsonReply(R"({"objectClassName": "domain", "ldhName": "shop.example",
                   "links": [{"rel": "related", "type": "text/html", "href": ")" +
                            registrar_.Base() + R"(x"}]})"));
    EXPECT_TRUE(Has(Page("shop.example"), "shop.example"));
    EXPECT_EQ(registrar_.Targets().size(), asked);
    const std::string failing = registrar_.Targets().back();
    EXPECT_EQ(failing, "/domain/broken");
}

TEST_F(RdapRoad, BootstrapIsCachedAndUsedStaleWhenTheServerIsDown) {
    RegistryAnswers("");
    HttpReply fresh = JsonReply(test::DnsBootstrap({"example"}, registry_.Base()));
    fresh.headers.push_back({"Cache-Control", "max-age=3600"});
    iana_->Set("/dns.json", fresh);
    EXPECT_TRUE(Has(Page("shop.example"), "Example Registrar, Inc."));
    EXPECT_TRUE(Has(Page("shop.example"), "Example Registrar, Inc."));
    EXPECT_EQ(iana_->Targets().size(), 1u) << "fresh: not asked again";

    // Stale at once, then the server goes away: the kept file still serves.
    HttpReply stale = fresh;
    stale.headers.back().second = "no-cache";
    iana_->Set("/dns.json", stale);
    cache_.Write("rdap/dns.json", "expires 0\n" + test::DnsBootstrap({"other"}, "https://x/"));
    EXPECT_TRUE(Has(Page("shop.example"), "Example Registrar, Inc."));
    EXPECT_EQ(iana_->Targets().size(), 2u) << "stale: asked again";
    iana_.reset();
    const std::string page = Page("shop.example");
    EXPECT_TRUE(Has(page, "Example Registrar, Inc.")) << page;

    // Without any kept file, a missing bootstrap means port 43, with why.
    std::filesystem::remove_all(cache_.path() / "rdap");
    const std::string fallback = Page("shop.example");
    EXPECT_TRUE(Has(fallback, "RDAP was not used: no RDAP bootstrap file dns.json: ")) << fallback;
    EXPECT_TRUE(Has(fallback, "port 43 says hello"));
}

TEST_F(RdapRoad, DamagedBootstrapAnswersKeepTheKeptFile) {
    RegistryAnswers("");
    iana_->Set("/dns.json", JsonReply(test::DnsBootstrap({"example"}, registry_.Base())));
    EXPECT_TRUE(Has(Page("shop.example"), "Example Registrar"));
    const std::string kept = test::ReadFile(cache_.File("rdap/dns.json"));
    ASSERT_EQ(kept.rfind("expires ", 0), 0u);
    // Age the kept file, then answer with rubbish: the kept one is used and
    // stays as it was.
    const std::string aged = "expires 1" + kept.substr(kept.find('\n'));
    cache_.Write("rdap/dns.json", aged);
    for (HttpReply bad :
         {JsonReply("{\"services\": 5}"), JsonReply(std::string(100, '[')), JsonReply("", 503)}) {
        iana_->Set("/dns.json", bad);
        EXPECT_TRUE(Has(Page("shop.example"), "Example Registrar")) << bad.body;
        EXPECT_EQ(test::ReadFile(cache_.File("rdap/dns.json")), aged);
    }
}

TEST_F(RdapRoad, CancelledLookupsEndWithoutAPage) {
    RegistryAnswers("");
    std::atomic<bool> cancel{true};
    EXPECT_EQ(DomainLookup(Settings().rdap).Run("shop.example", &cancel).outcome,
              DomainReport::Outcome::Cancelled);
    EXPECT_FALSE(WebWhoisAnswer("shop.example", Settings(), &cancel).has_value());
    EXPECT_TRUE(whois_.Queries().empty());
}

} // namespace
} // namespace orvanta::rdap
