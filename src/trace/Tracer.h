// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Traces the route to one address as an ordinary user: UDP datagrams with
// rising hop limits to unlikely ports of the destination, and the kernel's
// error queue (IP_RECVERR / IPV6_RECVERR) for who sent back "time exceeded"
// or "unreachable", and when. No raw socket, so no root and no capability.
//
//     TraceRoute("192.0.2.7", {}, [](const Hop& hop) { ... }, stop);
//
// Hops are handed over in order, each once all its probes are answered or
// timed out; several hops are probed at once, so a route of silent routers
// costs about one probe time-out per group of hops, not per probe.
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

namespace orvanta::trace {

struct TraceOptions {
    int maxHops = 30;
    int probesPerHop = 3;
    std::chrono::milliseconds probeTimeout{1000};
    // How many hops may have probes outstanding at once. Routers rate-limit
    // their answers per sender, so a small window keeps them answering.
    int hopsInFlight = 5;
    // Destination port of the first probe; each further probe takes the next.
    std::uint16_t firstPort = 33434;
};

enum class HopKind {
    Router,      // answered "time exceeded"
    Destination, // the destination answered: the trace ends here
    Unreachable, // a router or host said "unreachable": the trace ends here
    Silent,      // no probe answered ("*")
};

struct Probe {
    std::string address; // who answered; empty for no answer
    std::optional<double> rttMs;
};

struct Hop {
    int number = 0;
    // The first answering address; empty when no probe was answered.
    std::string address;
    HopKind kind = HopKind::Silent;
    int icmpCode = 0; // for Unreachable: the ICMP or ICMPv6 code
    std::vector<Probe> probes;
};

struct TraceSummary {
    std::string destination; // canonical numeric text
    bool reached = false;    // the destination itself answered
    bool stopped = false;    // the stop token ended the trace
    int hops = 0;
};

using HopSink = std::function<void(const Hop&)>;

// Runs the trace in the calling thread. Throws TraceError before any hop
// when the destination cannot be traced or no route leads there.
TraceSummary TraceRoute(const std::string& destination, const TraceOptions& options,
                        const HopSink& onHop, std::stop_token stop = {});

} // namespace orvanta::trace
