// SPDX-License-Identifier: GPL-3.0-or-later
// The web whois pages in the browser engine: addresses of the web whois
// host answered by the program's own site from loopback WHOIS servers.
#include "LoopbackWhoisServer.h"
#include "MapTestSupport.h"
#include "RdapTestAnswers.h"
#include "TempFolder.h"
#include "map/ScriptGuard.h"
#include "net/WebWhoisAddress.h"
#include "rdap/Settings.h"
#include "site/SiteInterceptor.h"
#include "site/SiteScheme.h"
#include "site/WebWhoisResponder.h"
#include "webwhois/TWhoisChain.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace {

using orvanta::net::WebWhoisExampleAddress;
using orvanta::net::WebWhoisSearchAddress;
using orvanta::test::LoopbackWhoisServer;

void pointRootAt(std::uint16_t port, int idleMs = 3000) {
    orvanta::webwhois::WhoisChainSettings settings;
    settings.rootServer = "127.0.0.1";
    settings.port = port;
    settings.bounds.connect = std::chrono::milliseconds(2000);
    settings.bounds.idle = std::chrono::milliseconds(idleMs);
    settings.bounds.total = std::chrono::milliseconds(8000);
    TSiteScheme::setWhoisSettings(settings);
}

QString bodyText(QWebEnginePage& page) {
    return js(page, "document.body ? document.body.innerText : ''");
}

// Loads a web whois address and waits until the page holds `marker`.
bool showWhois(QWebEnginePage& page, const std::string& address, const QString& marker) {
    page.load(QUrl(QString::fromStdString(address)));
    const std::string literal = orvanta::map::scriptStringLiteral(marker.toStdString());
    return waitForJs(page,
                     QString("document.body && document.body.innerText.indexOf(%1) >= 0")
                         .arg(QString::fromStdString(literal)),
                     8000);
}

TEST(WebWhoisPage, HostileAnswerShowsAsTextRunsAndLoadsNothing) {
    const std::string hostile =
        "<script>alert(1)</script>\r\n"
        "<img src=\"orvanta://site/maker/1427436750_My-Network-Places-icon.png\" "
        "onerror=alert(2) onload=alert(3)>\r\n"
        "<img src=https://tracker.example/p.png><link rel=stylesheet href=https://x.example/s.css>"
        "\r\n</pre><script>alert(4)</script>\r\n";
    auto root = LoopbackWhoisServer::Answering("127.0.0.1", 0, hostile);
    pointRootAt(root.Port());
    fakeMaps().clearRequests();
    RecordingMapPage page;
    ASSERT_TRUE(showWhois(page, WebWhoisSearchAddress("hostile.example"), "Server: 127.0.0.1"));
    const QString text = bodyText(page);
    EXPECT_TRUE(text.contains("<script>alert(1)</script>")) << text.toStdString();
    EXPECT_TRUE(text.contains("</pre><script>alert(4)</script>")) << text.toStdString();
    EXPECT_TRUE(text.contains("<img src=https://tracker.example/p.png>"));
    EXPECT_EQ(js(page, "String(document.images.length + document.scripts.length + "
                       "document.querySelectorAll('link').length)"),
              "0");
    // Give anything that might run or load a moment to do so.
    QEventLoop settle;
    QTimer::singleShot(300, &settle, &QEventLoop::quit);
    settle.exec();
    EXPECT_TRUE(page.alerts.isEmpty());
    // Only the page itself was asked for (and its redirect to the site).
    for (const QString& request : fakeMaps().requests()) {
        EXPECT_TRUE(request.startsWith("http://whois.orvanta.localhost/whois/whois.php?") ||
                    request.startsWith("orvanta://site/whois/whois.php?"))
            << request.toStdString();
    }
    EXPECT_EQ(root.Queries(), std::vector<std::string>{"hostile.example\r\n"});
    EXPECT_TRUE(js(page, "document.querySelector('meta[http-equiv]').content")
                    .startsWith("default-src 'none';"));
    // The policy holds even for markup that got in by other means.
    js(page, "var s = document.createElement('script'); s.textContent = 'window.ran = 1';"
             "document.body.appendChild(s); window.probe = new Image();"
             "probe.src = 'orvanta://site/maker/1427436750_My-Network-Places-icon.png'");
    ASSERT_TRUE(waitForJs(page, "probe.complete"));
    EXPECT_EQ(js(page, "String(window.ran) + ',' + probe.naturalWidth"), "undefined,0");
}

// Every string of `value` replaced by `text`.
void poison(nlohmann::json& value, const std::string& text) {
    if (value.is_string()) {
        value = text;
    }
    if (value.is_structured()) {
        for (auto& item : value) {
            poison(item, text);
        }
    }
}

TEST(WebWhoisPage, HostileRdapAnswersShowAsTextRunAndLoadNothing) {
    const std::string hostile =
        "<script>alert(1)</script></pre></td><img src=\"orvanta://site/maker/"
        "1427436750_My-Network-Places-icon.png\" onerror=alert(2) onload=alert(3)>"
        "<link rel=stylesheet href=https://x.example/s.css><u onmouseover=alert(5)>x</u>";
    orvanta::test::TempFolder cache;
    orvanta::test::FakeRdapServer iana("127.0.0.1");
    orvanta::test::FakeRdapServer registry("127.0.0.2");
    iana.Set("/dns.json",
             orvanta::test::JsonReply(orvanta::test::DnsBootstrap({"example"}, registry.Base())));
    nlohmann::json answer =
        nlohmann::json::parse(orvanta::test::RegistryAnswer("hostile.example", ""));
    poison(answer, hostile);
    answer["objectClassName"] = "domain";
    registry.Set("/domain/hostile.example", orvanta::test::JsonReply(answer.dump()));
    orvanta::rdap::Settings settings;
    settings.bootstrapBase = iana.Base();
    settings.cacheDir = cache.path();
    TSiteScheme::setRdapSettings(settings);
    auto root = LoopbackWhoisServer::Answering("127.0.0.1", 0, "% not to be asked\n");
    pointRootAt(root.Port());
    fakeMaps().clearRequests();

    RecordingMapPage page;
    ASSERT_TRUE(showWhois(page, WebWhoisSearchAddress("hostile.example"), "Servers asked"))
        << bodyText(page).toStdString();
    const QString text = bodyText(page);
    EXPECT_TRUE(text.contains(QString::fromStdString(hostile))) << text.toStdString();
    EXPECT_EQ(js(page, "String(document.images.length + document.scripts.length + "
                       "document.querySelectorAll('link,u,[onerror],[onmouseover]').length)"),
              "0");
    // The raw answer is there too, collapsed, as text.
    EXPECT_EQ(js(page, "String(document.querySelectorAll('details pre').length)"), "1");
    QEventLoop settle;
    QTimer::singleShot(300, &settle, &QEventLoop::quit);
    settle.exec();
    EXPECT_TRUE(page.alerts.isEmpty());
    for (const QString& request : fakeMaps().requests()) {
        EXPECT_TRUE(request.startsWith("http://whois.orvanta.localhost/whois/whois.php?") ||
                    request.startsWith("orvanta://site/whois/whois.php?"))
            << request.toStdString();
    }
    EXPECT_TRUE(js(page, "document.querySelector('meta[http-equiv]').content")
                    .startsWith("default-src 'none';"));
    EXPECT_TRUE(root.Queries().empty());
    TSiteScheme::setRdapSettings(orvanta::rdap::Settings::FromEnvironment());
}

TEST(WebWhoisPage, MoreRequestsThanWorkersAreAllAnswered) {
    orvanta::test::TempFolder cache;
    orvanta::test::FakeRdapServer iana("127.0.0.1");
    orvanta::test::FakeRdapServer registry("127.0.0.2");
    iana.Set("/dns.json",
             orvanta::test::JsonReply(orvanta::test::DnsBootstrap({"example"}, registry.Base())));
    constexpr int kPages = TWebWhoisResponder::kWorkers + 2;
    for (int i = 0; i < kPages; ++i) {
        const std::string name = "n" + std::to_string(i) + ".example";
        auto reply = orvanta::test::JsonReply(orvanta::test::RegistryAnswer("SLOW-" + name, ""));
        reply.delay = std::chrono::milliseconds(400);
        registry.Set("/domain/" + name, reply);
    }
    orvanta::rdap::Settings settings;
    settings.bootstrapBase = iana.Base();
    settings.cacheDir = cache.path();
    TSiteScheme::setRdapSettings(settings);
    std::vector<std::unique_ptr<RecordingMapPage>> pages;
    for (int i = 0; i < kPages; ++i) {
        pages.push_back(std::make_unique<RecordingMapPage>());
        const std::string name = "n" + std::to_string(i) + ".example";
        pages.back()->load(QUrl(QString::fromStdString(WebWhoisSearchAddress(name))));
    }
    for (int i = 0; i < kPages; ++i) {
        const QString shown = QString("SLOW-n%1.example").arg(i);
        EXPECT_TRUE(waitForJs(
            *pages[i],
            QString("document.body && document.body.innerText.indexOf('%1') >= 0").arg(shown),
            8000))
            << i;
    }
    EXPECT_EQ(registry.Targets().size(), static_cast<std::size_t>(kPages));
    TSiteScheme::setRdapSettings(orvanta::rdap::Settings::FromEnvironment());
}

TEST(WebWhoisPage, NameFromBothAddressShapes) {
    auto root = LoopbackWhoisServer::Answering("127.0.0.1", 0, "% no referral here\n");
    pointRootAt(root.Port());
    struct Row {
        const char* name;
        std::string address;
        const char* query; // what the root server must be asked, "" for none
        const char* shown;
    };
    const Row rows[] = {
        {"search shape", WebWhoisSearchAddress("Example-1.com"), "Example-1.com\r\n",
         "Whois: Example-1.com"},
        {"example shape", WebWhoisExampleAddress("example.org"), "example.org\r\n",
         "Whois: example.org"},
        {"international name", WebWhoisSearchAddress("m\xC3\xBCnchen.de"), "xn--mnchen-3ya.de\r\n",
         "Whois: xn--mnchen-3ya.de"},
        {"encoded ampersand", WebWhoisSearchAddress("a&b.com"), "",
         "\"a&b.com\" is not a domain name"},
        {"encoded hash and percent", WebWhoisSearchAddress("x#%y"), "",
         "\"x#%y\" is not a domain name"},
        {"empty", WebWhoisSearchAddress(""), "", "No domain name was given."},
        {"too long", WebWhoisSearchAddress(std::string(254, 'a')), "", "is not a domain name"},
    };
    std::vector<std::string> expectedQueries;
    for (const auto& row : rows) {
        RecordingMapPage page;
        EXPECT_TRUE(showWhois(page, row.address, row.shown))
            << row.name << ": " << bodyText(page).toStdString();
        if (*row.query != '\0') {
            expectedQueries.push_back(row.query);
        }
        EXPECT_EQ(root.Queries(), expectedQueries) << row.name;
    }
}

TEST(WebWhoisPage, ReferralChainAndARefusingRegistryInTheBrowser) {
    auto root = LoopbackWhoisServer::Answering("127.0.0.1", 0, "refer: 127.0.0.9\n");
    pointRootAt(root.Port());
    RecordingMapPage page;
    ASSERT_TRUE(showWhois(page, WebWhoisSearchAddress("chain.example"), "Server: 127.0.0.9"));
    const QString text = bodyText(page);
    EXPECT_TRUE(text.contains("refer: 127.0.0.9")) << text.toStdString();
    EXPECT_TRUE(text.contains("Socket Error # 10061\nConnection refused.")) << text.toStdString();
}

// A root server that takes the connection and never answers.
class SilentServer {
public:
    SilentServer() : fd_(orvanta::test::ListeningLoopbackSocket(port_, 4)) {}
    ~SilentServer() { orvanta::test::CloseSocket(fd_); }
    SilentServer(const SilentServer&) = delete;
    SilentServer& operator=(const SilentServer&) = delete;
    int Port() const { return port_; }

private:
    int port_ = 0; // before fd_: the socket's constructor sets it
    int fd_;
};

TEST(WebWhoisPage, SlowServersNeitherBlockTheWindowNorOutliveANewNavigation) {
    SilentServer root;
    ASSERT_NE(root.Port(), 0);
    pointRootAt(root.Port(), 1500);
    RecordingMapPage page;
    page.load(QUrl(QString::fromStdString(WebWhoisSearchAddress("slow.example"))));
    // The UI thread keeps running while the query waits: a 50 ms timer
    // fires on time, again and again.
    QElapsedTimer clock;
    clock.start();
    int ticks = 0;
    qint64 longestGap = 0;
    qint64 last = 0;
    QEventLoop loop;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        longestGap = std::max(longestGap, clock.elapsed() - last);
        last = clock.elapsed();
        if (++ticks == 10) {
            loop.quit();
        }
    });
    tick.start(50);
    loop.exec();
    // A blocked thread would stall for the whole 1500 ms idle bound; a busy
    // test machine may delay one tick by a few hundred.
    EXPECT_LT(longestGap, 1000);
    // Navigate again before the answer: the old answer is dropped.
    ASSERT_TRUE(loadHtml(page, "<html><body><p>other page</p></body></html>"));
    QEventLoop wait;
    QTimer::singleShot(2500, &wait, &QEventLoop::quit); // past the idle bound
    wait.exec();
    EXPECT_EQ(bodyText(page), "other page");
    // And the site still answers.
    auto quick = LoopbackWhoisServer::Answering("127.0.0.1", 0, "fine\n");
    pointRootAt(quick.Port());
    EXPECT_TRUE(showWhois(page, WebWhoisSearchAddress("quick.example"), "fine"));
}

TEST(SiteInterceptor, OnlyTheWebWhoisHostGoesToTheSite) {
    struct Row {
        const char* name;
        const char* url;
        const char* site;
    };
    const Row rows[] = {
        {"search", "http://whois.orvanta.localhost/whois/whois.php?query=a.com%20+%20&output=nice",
         "orvanta://site/whois/whois.php?query=a.com%20+%20&output=nice"},
        {"https and case", "https://WHOIS.Orvanta.LOCALHOST/phpwhois-4.2.2/example.php?query=x",
         "orvanta://site/phpwhois-4.2.2/example.php?query=x"},
        {"other host", "http://whois.example/whois/whois.php?query=a", ""},
        {"sub-host", "http://evil.whois.orvanta.localhost/whois/whois.php", ""},
        {"other scheme", "ftp://whois.orvanta.localhost/whois/whois.php", ""},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(TSiteInterceptor::siteAddressFor(QUrl(row.url)).toString(QUrl::FullyEncoded),
                  row.site)
            << row.name;
    }
}

} // namespace
