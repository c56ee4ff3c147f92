// SPDX-License-Identifier: GPL-3.0-or-later
// orvanta-trace [--timeout MS] [--max-hops N] ADDRESS
//
// Prints one line per hop as the hops arrive: the hop number, the answering
// address ("*" for none), what answered (router, destination, unreachable,
// silent) and each probe's round trip in milliseconds ("*" for none), all
// separated by tabs. Exit codes: 0 done, 1 the trace could not run, 2 a wrong
// command line.
#include "trace/TraceError.h"
#include "trace/Tracer.h"

#include <charconv>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>
#include <string_view>

namespace {

using orvanta::trace::Hop;
using orvanta::trace::HopKind;

int Usage() {
    std::cerr << "usage: orvanta-trace [--timeout MS] [--max-hops N] ADDRESS\n";
    return 2;
}

bool ParseNumber(const char* text, int low, int high, int& value) {
    const std::string_view view(text);
    const auto [end, error] = std::from_chars(view.data(), view.data() + view.size(), value);
    return error == std::errc() && end == view.data() + view.size() && value >= low &&
           value <= high;
}

const char* KindText(HopKind kind) {
    switch (kind) {
    case HopKind::Router:
        return "router";
    case HopKind::Destination:
        return "destination";
    case HopKind::Unreachable:
        return "unreachable";
    case HopKind::Silent:
        break;
    }
    return "silent";
}

void PrintHop(const Hop& hop) {
    std::string line = std::to_string(hop.number) + '\t' +
                       (hop.address.empty() ? std::string("*") : hop.address) + '\t' +
                       KindText(hop.kind);
    for (const auto& probe : hop.probes) {
        char rtt[32] = "*";
        if (probe.rttMs)
            std::snprintf(rtt, sizeof rtt, "%.3f", *probe.rttMs);
        line += '\t';
        line += rtt;
    }
    std::cout << line << std::endl;
}

} // namespace

int main(int argc, char** argv) {
    orvanta::trace::TraceOptions options;
    const char* address = nullptr;
    for (int i = 1; i < argc; ++i) {
        int value = 0;
        if (std::strcmp(argv[i], "--timeout") == 0 && i + 1 < argc &&
            ParseNumber(argv[i + 1], 1, 60000, value)) {
            options.probeTimeout = std::chrono::milliseconds(value);
            ++i;
        } else if (std::strcmp(argv[i], "--max-hops") == 0 && i + 1 < argc &&
                   ParseNumber(argv[i + 1], 1, 255, value)) {
            options.maxHops = value;
            ++i;
        } else if (argv[i][0] != '-' && !address) {
            address = argv[i];
        } else {
            return Usage();
        }
    }
    if (!address)
        return Usage();
    try {
        orvanta::trace::TraceRoute(address, options, PrintHop);
    } catch (const orvanta::trace::TraceError& error) {
        std::cerr << "orvanta-trace: " << error.what() << '\n';
        return 1;
    }
    return 0;
}
