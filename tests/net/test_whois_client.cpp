// SPDX-License-Identifier: GPL-3.0-or-later
// The WHOIS client against scripted servers on loopback: what it returns,
// what it sends, and that no server behaviour holds it past its bounds.

#include "LoopbackWhoisServer.h"
#include "net/ESocketError.h"
#include "net/TIdWhois.h"

#include <future>
#include <gtest/gtest.h>
#include <memory>

namespace {

using namespace std::chrono_literals;
using orvanta::net::ESocketError;
using orvanta::net::EWhoisError;
using orvanta::net::TIdWhois;
using orvanta::net::WhoisBounds;
using orvanta::test::LoopbackWhoisServer;
using orvanta::test::WhoisConnection;
using Clock = std::chrono::steady_clock;

void PointAt(TIdWhois& client, const LoopbackWhoisServer& server,
             const std::string& host = "127.0.0.1") {
    client.SetHost(host);
    client.SetPort(server.Port());
}

// Tight bounds so that a test at a bound ends in well under a second.
// Short enough for the tests that run into them, long enough that a server
// thread a busy machine keeps waiting does not look silent.
WhoisBounds QuickBounds() {
    WhoisBounds b;
    b.connect = 2s;
    b.idle = 2s;
    b.total = 3s;
    return b;
}

std::string ErrorOf(TIdWhois& client, const std::string& query) {
    try {
        client.Query(query);
    } catch (const EWhoisError& e) {
        return e.what();
    }
    return "(no error)";
}

struct ReplyCase {
    const char* name;
    LoopbackWhoisServer::Behaviour server;
    std::string expected;
};
void PrintTo(const ReplyCase& c, std::ostream* os) {
    *os << c.name;
}

class WhoisReply : public testing::TestWithParam<ReplyCase> {};

TEST_P(WhoisReply, IsWhatArrivedByteForByte) {
    LoopbackWhoisServer server(GetParam().server);
    TIdWhois client;
    PointAt(client, server);
    client.SetBounds(QuickBounds());
    EXPECT_EQ(client.Query("8.8.8.8"), GetParam().expected);
    EXPECT_FALSE(client.Connected());
}

const std::string kCrLfAnswer = "% ARIN WHOIS\r\nNetRange: 8.0.0.0 - 8.255.255.255\r\n\r\n";

INSTANTIATE_TEST_SUITE_P(
    Servers, WhoisReply,
    testing::Values(
        ReplyCase{"FullAnswerThenClose", LoopbackWhoisServer::Answer(kCrLfAnswer), kCrLfAnswer},
        ReplyCase{"CloseWithoutData", LoopbackWhoisServer::Answer(""), ""},
        ReplyCase{"LfOnlyEndings", LoopbackWhoisServer::Answer("a\nb\n\nc"), "a\nb\n\nc"},
        ReplyCase{"NulByteKept", LoopbackWhoisServer::Answer(std::string("ab\0cd", 5)),
                  std::string("ab\0cd", 5)},
        ReplyCase{"HighBytesUnchanged", LoopbackWhoisServer::Answer("M\xfcller \xc3\xa9"),
                  "M\xfcller \xc3\xa9"},
        ReplyCase{"ResetAfterPart",
                  [](WhoisConnection& c) {
                      c.ReadQuery();
                      c.Send("partial answer");
                      std::this_thread::sleep_for(100ms);
                      c.Reset();
                  },
                  "partial answer"},
        ReplyCase{"ResetBeforeAnyByte",
                  [](WhoisConnection& c) {
                      c.ReadQuery();
                      c.Reset();
                  },
                  ""},
        ReplyCase{"SlowDrip",
                  [](WhoisConnection& c) {
                      c.ReadQuery();
                      for (char ch : std::string("drip\r\n")) {
                          c.Send(std::string(1, ch));
                          std::this_thread::sleep_for(100ms);
                      }
                      c.ShutdownSend();
                  },
                  "drip\r\n"},
        ReplyCase{"NeverClosesAfterPart",
                  [](WhoisConnection& c) {
                      c.ReadQuery();
                      c.Send("held open");
                      c.HoldOpen();
                  },
                  "held open"},
        ReplyCase{"AnswersWithoutReading",
                  [](WhoisConnection& c) {
                      c.Send("unread query");
                      c.ShutdownSend();
                      c.Idle(500ms);
                  },
                  "unread query"}),
    [](const auto& info) { return std::string(info.param.name); });

struct SentCase {
    const char* name;
    std::string query;
    std::string onTheWire;
};
void PrintTo(const SentCase& c, std::ostream* os) {
    *os << c.name;
}

class WhoisSends : public testing::TestWithParam<SentCase> {};

TEST_P(WhoisSends, ExactlyTheQueryAndCrLf) {
    LoopbackWhoisServer server(LoopbackWhoisServer::Answer("ok"));
    TIdWhois client;
    PointAt(client, server);
    EXPECT_EQ(client.Query(GetParam().query), "ok");
    ASSERT_TRUE(server.WaitServed(1));
    EXPECT_EQ(server.Received().at(0), GetParam().onTheWire);
}

INSTANTIATE_TEST_SUITE_P(Queries, WhoisSends,
                         testing::Values(SentCase{"Address", "192.0.2.1", "192.0.2.1\r\n"},
                                         SentCase{"Empty", "", "\r\n"},
                                         SentCase{"BlanksKept", " \t1.2.3.4 ", " \t1.2.3.4 \r\n"},
                                         SentCase{"EightBit", "n\xe9t", "n\xe9t\r\n"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(WhoisClient, LargeQueryGoesOutInFull) {
    const std::string query(3 * 1024 * 1024, 'q');
    LoopbackWhoisServer server(LoopbackWhoisServer::Answer("big"));
    TIdWhois client;
    PointAt(client, server);
    EXPECT_EQ(client.Query(query), "big");
    ASSERT_TRUE(server.WaitServed(1));
    EXPECT_EQ(server.Received().at(0), query + "\r\n");
}

TEST(WhoisClient, SilentServerThatNeverClosesTimesOut) {
    LoopbackWhoisServer server([](WhoisConnection& c) {
        c.ReadQuery();
        c.HoldOpen(30s);
    });
    TIdWhois client;
    PointAt(client, server);
    client.SetBounds(QuickBounds());
    const auto start = Clock::now();
    EXPECT_EQ(ErrorOf(client, "x"), "Socket Error # 10060\r\nConnection timed out.");
    EXPECT_LT(Clock::now() - start, 5s); // the server holds on for 30 s
    EXPECT_FALSE(client.Connected());
}

TEST(WhoisClient, EndlessDripStopsAtTotalBound) {
    LoopbackWhoisServer server([](WhoisConnection& c) {
        c.ReadQuery();
        while (!c.Stopping() && c.Send("."))
            std::this_thread::sleep_for(50ms);
    });
    TIdWhois client;
    PointAt(client, server);
    WhoisBounds bounds = QuickBounds();
    bounds.total = 1500ms;
    client.SetBounds(bounds);
    const auto start = Clock::now();
    const std::string reply = client.Query("x");
    EXPECT_LT(Clock::now() - start, 5s); // the server would drip for 60 s
    EXPECT_GE(reply.size(), 3u);
    EXPECT_EQ(reply.find_first_not_of('.'), std::string::npos);
}

TEST(WhoisClient, FloodStopsAtReplyCap) {
    LoopbackWhoisServer server([](WhoisConnection& c) {
        c.ReadQuery();
        const std::string block(1 << 20, 'f');
        for (int i = 0; i < 40 && !c.Stopping() && c.Send(block); ++i) {
        }
    });
    TIdWhois client;
    PointAt(client, server);
    const std::string reply = client.Query("x");
    EXPECT_EQ(reply.size(), WhoisBounds::kMaxReplyBytes);
    EXPECT_EQ(reply.find_first_not_of('f'), std::string::npos);
}

TEST(WhoisClient, PeerThatReadsNothingCannotBlockTheSend) {
    LoopbackWhoisServer server([](WhoisConnection& c) { c.Idle(30s); });
    TIdWhois client;
    PointAt(client, server);
    client.SetBounds(QuickBounds());
    const auto start = Clock::now();
    // Far more than the socket buffers hold, so the send has to wait.
    EXPECT_EQ(ErrorOf(client, std::string(64 * 1024 * 1024, 'x')),
              "Socket Error # 10060\r\nConnection timed out.");
    EXPECT_LT(Clock::now() - start, 5s); // the server idles for 30 s
}

TEST(WhoisClient, ConnectGivesUpAtItsBound) {
    // A listener that never accepts, its queue filled: further connection
    // attempts get no answer at all, as from a host that drops packets.
    int port = 0;
    const int listener = orvanta::test::ListeningLoopbackSocket(port, 0);
    std::vector<int> fillers;
    for (int i = 0; i < 4; ++i)
        fillers.push_back(orvanta::test::ConnectNonBlocking(port));
    TIdWhois client;
    client.SetHost("127.0.0.1");
    client.SetPort(port);
    WhoisBounds bounds = QuickBounds();
    bounds.connect = 300ms;
    client.SetBounds(bounds);
    const auto start = Clock::now();
    EXPECT_EQ(ErrorOf(client, "x"), "Socket Error # 10060\r\nConnection timed out.");
    EXPECT_LT(Clock::now() - start, 5s);
    for (int fd : fillers)
        orvanta::test::CloseSocket(fd);
    orvanta::test::CloseSocket(listener);
}

TEST(WhoisClient, SecondQueryOnSameClient) {
    LoopbackWhoisServer server(LoopbackWhoisServer::Answer("again"), 2);
    TIdWhois client;
    PointAt(client, server);
    EXPECT_EQ(client.Query("first"), "again");
    EXPECT_EQ(client.Query("second"), "again");
    ASSERT_TRUE(server.WaitServed(2));
    EXPECT_EQ(server.Received().at(1), "second\r\n");
}

TEST(WhoisClient, SeparateClientsOnSeparateThreads) {
    constexpr int kThreads = 4;
    std::vector<std::unique_ptr<LoopbackWhoisServer>> servers;
    for (int i = 0; i < kThreads; ++i)
        servers.push_back(std::make_unique<LoopbackWhoisServer>(
            LoopbackWhoisServer::Answer("answer " + std::to_string(i))));
    std::vector<std::future<std::string>> replies;
    for (int i = 0; i < kThreads; ++i)
        replies.push_back(std::async(std::launch::async, [&servers, i] {
            TIdWhois client;
            PointAt(client, *servers[i], i % 2 ? "localhost" : "127.0.0.1");
            return client.Query("q" + std::to_string(i));
        }));
    for (int i = 0; i < kThreads; ++i)
        EXPECT_EQ(replies[i].get(), "answer " + std::to_string(i));
}

TEST(WhoisClient, QueryWhileConnectedIsRefused) {
    LoopbackWhoisServer server([](WhoisConnection& c) {
        c.ReadQuery();
        std::this_thread::sleep_for(400ms);
        c.Send("late");
        c.ShutdownSend();
    });
    TIdWhois client;
    PointAt(client, server);
    auto first = std::async(std::launch::async, [&] { return client.Query("one"); });
    const auto end = Clock::now() + 2s;
    while (!client.Connected() && Clock::now() < end)
        std::this_thread::sleep_for(5ms);
    ASSERT_TRUE(client.Connected());
    EXPECT_EQ(ErrorOf(client, "two"), "Already connected.");
    EXPECT_EQ(first.get(), "late");
}

struct HostCase {
    const char* name;
    std::string host;
};
void PrintTo(const HostCase& c, std::ostream* os) {
    *os << c.name;
}

class WhoisHost : public testing::TestWithParam<HostCase> {};

TEST_P(WhoisHost, ReachesLoopbackServer) {
    LoopbackWhoisServer server(LoopbackWhoisServer::Answer("here"));
    TIdWhois client;
    PointAt(client, server, GetParam().host);
    EXPECT_EQ(client.Query("q"), "here");
}

INSTANTIATE_TEST_SUITE_P(Hosts, WhoisHost,
                         testing::Values(HostCase{"Dotted", "127.0.0.1"},
                                         HostCase{"Upper", "LOCALHOST"},
                                         HostCase{"Mixed", "LocalHost"},
                                         HostCase{"Lower", "localhost"}),
                         [](const auto& info) { return std::string(info.param.name); });

struct FailureCase {
    const char* name;
    std::string host;
    int port; // 0 stays 0; -1 means "a port nothing listens on"
    std::string message;
};
void PrintTo(const FailureCase& c, std::ostream* os) {
    *os << c.name;
}

class WhoisFailure : public testing::TestWithParam<FailureCase> {};

TEST_P(WhoisFailure, ReportsMessageAndStaysUsable) {
    TIdWhois client;
    client.SetHost(GetParam().host);
    client.SetPort(GetParam().port < 0 ? orvanta::test::UnusedLoopbackPort() : GetParam().port);
    EXPECT_EQ(ErrorOf(client, "q"), GetParam().message);
    EXPECT_FALSE(client.Connected());

    LoopbackWhoisServer server(LoopbackWhoisServer::Answer("fine"));
    client.SetHost("127.0.0.1");
    client.SetPort(server.Port());
    EXPECT_EQ(client.Query("q"), "fine");
}

INSTANTIATE_TEST_SUITE_P(Failures, WhoisFailure,
                         testing::Values(FailureCase{"Refused", "127.0.0.1", -1,
                                                     "Socket Error # 10061\r\nConnection refused."},
                                         FailureCase{"InvalidTld", "no-such-host.invalid", 43,
                                                     "Socket Error # 11001\r\nHost not found."},
                                         FailureCase{"EmptyHost", "", 43, ""},
                                         FailureCase{"PortZero", "127.0.0.1", 0, ""},
                                         FailureCase{"PortOutOfRange", "127.0.0.1", 70000,
                                                     "Socket Error # 10022\r\nInvalid argument."}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(WhoisClient, HostWithTrailingBlankGoesToResolverAndFails) {
    TIdWhois client;
    client.SetHost("localhost ");
    try {
        client.Query("q");
        FAIL() << "no error";
    } catch (const ESocketError& e) {
        EXPECT_GE(e.Code(), 11001);
        EXPECT_LE(e.Code(), 11004);
    }
}

} // namespace
