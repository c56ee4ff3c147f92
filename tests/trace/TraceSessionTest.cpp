// SPDX-License-Identifier: GPL-3.0-or-later
// The session a window polls: events in order, names bounded in time, and a
// trace that cannot run ending with its message.
#include "trace/TraceSession.h"

#include "net/PrivateMode.h"
#include "trace/HopName.h"

#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <thread>

using namespace orvanta::trace;
using namespace std::chrono_literals;

namespace {
std::vector<TraceEvent> Drain(TraceSession& session) {
    std::vector<TraceEvent> all;
    const auto until = std::chrono::steady_clock::now() + 20s;
    while (session.Running() && std::chrono::steady_clock::now() < until) {
        for (auto& e : session.TakeEvents())
            all.push_back(std::move(e));
        std::this_thread::sleep_for(10ms);
    }
    for (auto& e : session.TakeEvents())
        all.push_back(std::move(e));
    return all;
}
} // namespace

TEST(TraceSession, HopThenItsNameThenTheEnd) {
    TraceSession session;
    session.SetNameLookup([](const std::string& a) { return std::optional<std::string>("n-" + a); },
                          5s);
    session.Start("127.0.0.1");
    const auto events = Drain(session);
    ASSERT_EQ(events.size(), 3u);
    EXPECT_EQ(events[0].kind, TraceEvent::Kind::Hop);
    EXPECT_EQ(events[0].hop.address, "127.0.0.1");
    // The name may come before or after the end; both follow the hop.
    const auto& name = events[1].kind == TraceEvent::Kind::HopName ? events[1] : events[2];
    const auto& end = events[1].kind == TraceEvent::Kind::End ? events[1] : events[2];
    EXPECT_EQ(name.name, "n-127.0.0.1");
    EXPECT_TRUE(end.summary.reached);
    EXPECT_TRUE(end.error.empty());
}

// Private mode: the probe goes, its hop's name is never asked.
TEST(TraceSession, PrivateModeAsksNoHopName) {
    orvanta::net::SetPrivateMode(true);
    std::atomic<int> asked{0};
    TraceSession session;
    session.SetNameLookup(
        [&asked](const std::string&) {
            ++asked;
            return std::optional<std::string>("n");
        },
        5s);
    session.Start("127.0.0.1");
    const auto events = Drain(session);
    const std::optional<std::string> direct = HostNameOfHop("127.0.0.1");
    orvanta::net::SetPrivateMode(false);
    EXPECT_EQ(direct, std::nullopt) << "resolver asked in private mode";
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].hop.address, "127.0.0.1");
    EXPECT_EQ(events[1].kind, TraceEvent::Kind::End);
    EXPECT_EQ(asked.load(), 0);
}

TEST(TraceSession, AResolverThatHangsGivesNoNameInTime) {
    TraceSession session;
    session.SetNameLookup(
        [](const std::string&) {
            std::this_thread::sleep_for(3s);
            return std::optional<std::string>("late");
        },
        100ms);
    const auto started = std::chrono::steady_clock::now();
    session.Start("127.0.0.1");
    const auto events = Drain(session);
    EXPECT_LT(std::chrono::steady_clock::now() - started, 2s);
    int names = 0;
    for (const auto& e : events)
        if (e.kind == TraceEvent::Kind::HopName) {
            ++names;
            EXPECT_FALSE(e.name);
        }
    EXPECT_EQ(names, 1);
}

TEST(TraceSession, ARefusedAddressEndsWithItsMessage) {
    TraceSession session;
    session.Start("239.1.2.3");
    const auto events = Drain(session);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].kind, TraceEvent::Kind::End);
    EXPECT_EQ(events[0].error, "A multicast address cannot be traced");
}

TEST(TraceSession, ASecondStartReplacesTheFirst) {
    TraceSession session;
    session.SetNameLookup({}, 1s);
    session.Start("239.1.2.3");
    session.Start("127.0.0.1");
    const auto events = Drain(session);
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events[0].kind, TraceEvent::Kind::Hop);
    EXPECT_EQ(events.back().kind, TraceEvent::Kind::End);
    EXPECT_TRUE(events.back().error.empty());
}
