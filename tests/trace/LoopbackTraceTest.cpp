// SPDX-License-Identifier: GPL-3.0-or-later
// Traces that need no network: this machine as the destination, answered
// by its own "port unreachable" on the first hop, for both families.
#include "trace/TraceError.h"
#include "trace/Tracer.h"

#include <gtest/gtest.h>

using namespace orvanta::trace;

TEST(LoopbackTrace, ThisMachineIsTheFirstAndLastHop) {
    for (const char* address : {"127.0.0.1", "::1"}) {
        std::vector<Hop> hops;
        TraceSummary summary;
        try {
            summary = TraceRoute(address, {}, [&](const Hop& hop) { hops.push_back(hop); });
        } catch (const TraceError& error) {
            // A machine without IPv6 says so, which is the right answer too.
            EXPECT_STREQ(address, "::1") << error.what();
            continue;
        }
        EXPECT_TRUE(summary.reached) << address;
        ASSERT_EQ(hops.size(), 1u) << address;
        EXPECT_EQ(hops[0].number, 1);
        EXPECT_EQ(hops[0].address, address);
        EXPECT_EQ(hops[0].kind, HopKind::Destination);
        ASSERT_EQ(hops[0].probes.size(), 3u);
        for (const Probe& probe : hops[0].probes)
            EXPECT_TRUE(probe.rttMs && *probe.rttMs >= 0 && *probe.rttMs < 1000) << address;
    }
}

TEST(LoopbackTrace, AStopBeforeTheFirstHopEndsAtOnce) {
    std::stop_source stop;
    stop.request_stop();
    int hops = 0;
    const auto summary = TraceRoute(
        "127.0.0.1", {}, [&](const Hop&) { ++hops; }, stop.get_token());
    EXPECT_TRUE(summary.stopped);
    EXPECT_EQ(hops, 0);
}

TEST(LoopbackTrace, OptionsOutOfRangeAreRefused) {
    TraceOptions tooMany;
    tooMany.maxHops = 300;
    TraceOptions noProbes;
    noProbes.probesPerHop = 0;
    TraceOptions pastLastPort;
    pastLastPort.firstPort = 65500;
    for (const TraceOptions& options : {tooMany, noProbes, pastLastPort})
        EXPECT_THROW(TraceRoute("127.0.0.1", options, [](const Hop&) {}), TraceError);
}
