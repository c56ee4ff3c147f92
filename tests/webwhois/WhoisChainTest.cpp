// SPDX-License-Identifier: GPL-3.0-or-later
// The referral chain against WHOIS servers on loopback addresses playing
// the root, a registry and registrars, all on one port.
#include "LoopbackWhoisServer.h"
#include "webwhois/TWhoisChain.h"

#include <gtest/gtest.h>
#include <memory>

namespace {

using namespace orvanta::webwhois;
using orvanta::test::LoopbackWhoisServer;

class WhoisChain : public ::testing::Test {
protected:
    // Starts servers on 127.0.0.1 (the root), 127.0.0.2, ... sharing the
    // root's port, each with its answer.
    void start(const std::vector<std::string>& answers) {
        for (std::size_t i = 0; i < answers.size(); ++i) {
            const std::string address = "127.0.0." + std::to_string(i + 1);
            servers.push_back(std::make_unique<LoopbackWhoisServer>(
                LoopbackWhoisServer::Answer(answers[i]), LoopbackWhoisServer::kUntilStopped,
                address, i == 0 ? 0 : servers[0]->Port()));
        }
    }
    WhoisChainResult run(const std::string& name, const std::atomic<bool>* cancel = nullptr) {
        WhoisChainSettings settings;
        settings.rootServer = "127.0.0.1";
        settings.port = servers[0]->Port();
        settings.bounds.connect = std::chrono::milliseconds(2000);
        settings.bounds.idle = std::chrono::milliseconds(2000);
        settings.bounds.total = std::chrono::milliseconds(5000);
        return TWhoisChain(settings).run(name, cancel);
    }
    static std::string servers_of(const WhoisChainResult& result) {
        std::string list;
        for (const auto& step : result.steps) {
            list += (list.empty() ? "" : " ") + step.server + (step.failed ? "!" : "");
        }
        return list;
    }

    std::vector<std::unique_ptr<LoopbackWhoisServer>> servers;
};

TEST_F(WhoisChain, FollowsRootRegistryAndRegistrarInOrder) {
    start(
        {"% IANA WHOIS server\r\ndomain:       EXAMPLE\r\nrefer:        127.0.0.2\r\n",
         "   Domain Name: EXAMPLE.EXAMPLE\r\n   Registrar WHOIS Server: 127.0.0.3\r\n",
         "Domain Name: example.example\r\nRegistrar WHOIS Server: 127.0.0.3\r\nRegistrant: X\r\n"});
    const auto result = run("example.example");
    EXPECT_EQ(servers_of(result), "127.0.0.1 127.0.0.2 127.0.0.3");
    ASSERT_EQ(result.steps.size(), 3u);
    EXPECT_EQ(result.steps[0].text,
              "% IANA WHOIS server\ndomain:       EXAMPLE\nrefer:        127.0.0.2\n");
    EXPECT_EQ(result.steps[2].text, "Domain Name: example.example\nRegistrar WHOIS Server: "
                                    "127.0.0.3\nRegistrant: X\n");
    EXPECT_TRUE(result.note.empty()) << result.note; // the registrar naming itself is no news
    for (const auto& server : servers) {
        EXPECT_EQ(server->Queries(), std::vector<std::string>{"example.example\r\n"});
    }
}

TEST_F(WhoisChain, StopsAtFourServers) {
    start({"refer: 127.0.0.2\n", "Registrar WHOIS Server: 127.0.0.3\n",
           "Registrar WHOIS Server: 127.0.0.4\n", "Registrar WHOIS Server: 127.0.0.5\n",
           "never asked\n"});
    const auto result = run("a.example");
    EXPECT_EQ(servers_of(result), "127.0.0.1 127.0.0.2 127.0.0.3 127.0.0.4");
    EXPECT_EQ(result.note, "Stopped after 4 servers; the last answer names 127.0.0.5.");
    EXPECT_TRUE(servers[4]->Queries().empty());
}

TEST_F(WhoisChain, NeverAsksAServerTwice) {
    start({"whois: 127.0.0.2\n", "Registrar WHOIS Server: 127.0.0.3\n",
           "Registrar WHOIS Server: 127.0.0.1\n"});
    const auto result = run("loop.example");
    EXPECT_EQ(servers_of(result), "127.0.0.1 127.0.0.2 127.0.0.3");
    EXPECT_EQ(servers[0]->Queries().size(), 1u);
}

TEST_F(WhoisChain, RefusedRegistryShowsItsErrorAfterTheRootsAnswer) {
    start({"refer: 127.0.0.9\n"}); // nothing listens there
    const auto result = run("refused.example");
    EXPECT_EQ(servers_of(result), "127.0.0.1 127.0.0.9!");
    EXPECT_EQ(result.steps[0].text, "refer: 127.0.0.9\n");
    EXPECT_EQ(result.steps[1].text, "Socket Error # 10061\nConnection refused.");
}

TEST_F(WhoisChain, ReferralToANameThatDoesNotResolve) {
    start({"refer: whois.nowhere.invalid\n"});
    const auto result = run("x.example");
    EXPECT_EQ(servers_of(result), "127.0.0.1 whois.nowhere.invalid!");
    EXPECT_EQ(result.steps[1].text.rfind("Socket Error # 11001\n", 0), 0u) << result.steps[1].text;
}

TEST_F(WhoisChain, RootWithoutReferralSaysSo) {
    start({"% This query returned 0 objects.\n"});
    const auto result = run("nothing.example");
    EXPECT_EQ(servers_of(result), "127.0.0.1");
    EXPECT_EQ(result.note, "No referral: 127.0.0.1 names no WHOIS server for this name.");
}

TEST_F(WhoisChain, RootThatIsDownFailsTheFirstStep) {
    WhoisChainSettings settings;
    settings.rootServer = "127.0.0.1";
    settings.port = 1; // privileged, nothing listens
    const auto result = TWhoisChain(settings).run("x.example");
    ASSERT_EQ(result.steps.size(), 1u);
    EXPECT_TRUE(result.steps[0].failed);
    EXPECT_EQ(result.steps[0].text, "Socket Error # 10061\nConnection refused.");
}

TEST_F(WhoisChain, CancelledChainAsksNothingMore) {
    start({"refer: 127.0.0.2\n", "never asked\n"});
    std::atomic<bool> cancel{true};
    const auto result = run("x.example", &cancel);
    EXPECT_TRUE(result.cancelled);
    EXPECT_TRUE(result.steps.empty());
    EXPECT_TRUE(servers[1]->Queries().empty());
}

} // namespace
