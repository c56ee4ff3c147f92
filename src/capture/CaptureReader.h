// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A pcap or pcapng file streamed through libpcap into an endpoint tally:
// one packet in memory at a time, progress told by bytes read, a flag that
// stops the read between packets keeping what was counted.

#include "capture/EndpointTally.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

namespace orvanta::capture {

struct CaptureSummary {
    std::uint64_t packets = 0;   // records read
    std::uint64_t ipPackets = 0; // with an IPv4 or IPv6 header: counted
    std::uint64_t skipped = 0;   // read, but with no usable IP header
    int linkType = -1;           // libpcap's DLT_ value; -1 before the file opened
};

// "12 packets read, 10 with an IP header, 2 skipped, link type EN10MB (Ethernet)".
std::string SummaryText(const CaptureSummary& summary);

struct ReadControl {
    const std::atomic<bool>* stop = nullptr;
    // Called every so often and at the end with the bytes read so far and
    // the file's size.
    std::function<void(std::uint64_t bytesRead, std::uint64_t fileSize)> progress;
};

enum class ReadEnd {
    Complete, // to the file's end
    Stopped,  // the stop flag was raised: what came before is counted
    Failed,   // not opened, refused or damaged: `error` says why; what came
              // before the damage is counted
};

struct CaptureRead {
    CaptureSummary summary;
    ReadEnd end = ReadEnd::Complete;
    std::string error; // "FILE: what went wrong" when Failed
};

// Reads `path` to its end (or until stopped or failed) into `tally`.
CaptureRead ReadCapture(const std::string& path, EndpointTally& tally,
                        const ReadControl& control = {});

} // namespace orvanta::capture
