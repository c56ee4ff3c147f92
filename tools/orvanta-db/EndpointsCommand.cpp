// SPDX-License-Identifier: GPL-3.0-or-later
#include "EndpointsCommand.h"

#include "BulkLookup.h"
#include "CommandLine.h"
#include "LookupCommand.h"
#include "capture/CaptureReader.h"
#include "geoip/EFOpenError.h"

#include <ostream>

namespace orvanta::dbtool {

const char* const EndpointsUsage =
    "Usage: orvanta-db endpoints [--db FILE] [--db6 FILE6] [--asn FILE] [--asn6 FILE]\n"
    "                            [--json] CAPTURE...\n"
    "Reads each CAPTURE (pcap or pcapng; Ethernet with any VLAN tags, Linux\n"
    "cooked v1 and v2, BSD loopback, raw IP or PPP packets) and prints every\n"
    "address of the packets' outermost IPv4 or IPv6 headers once, in the order\n"
    "first seen, the files summed, fields separated by a tab:\n"
    "  address packets bytes tx_packets tx_bytes rx_packets rx_bytes\n"
    "then the fields \"orvanta-db lookup\" prints after the address, from the\n"
    "same databases (see \"orvanta-db lookup --help\").\n"
    "A packet counts once for each distinct address among its source and\n"
    "destination; its bytes are its length on the wire. tx is as source, rx as\n"
    "destination. Packets without an IP header, or with one cut short, are\n"
    "skipped and counted.\n"
    "Standard error gets a summary per file: packets read, with an IP header,\n"
    "skipped, and the link type. A file that cannot be read, or is damaged, is\n"
    "named there and the exit code is 1; the other files, and the packets\n"
    "before the damage, are still summed.\n"
    "  --json       one JSON object per line with the same names\n";

namespace {

void AppendCounts(const LookupFormatter& formatter, std::string& out,
                  const capture::Endpoint& endpoint) {
    formatter.AppendCount(out, "packets", endpoint.packets);
    formatter.AppendCount(out, "bytes", endpoint.bytes);
    formatter.AppendCount(out, "tx_packets", endpoint.txPackets);
    formatter.AppendCount(out, "tx_bytes", endpoint.txBytes);
    formatter.AppendCount(out, "rx_packets", endpoint.rxPackets);
    formatter.AppendCount(out, "rx_bytes", endpoint.rxBytes);
}

// Reads every file into one tally; false when one of them failed.
bool ReadCaptures(const std::vector<std::string>& files, capture::EndpointTally& tally,
                  std::ostream& err) {
    bool complete = true;
    capture::CaptureSummary total;
    for (const std::string& file : files) {
        const capture::CaptureRead read = capture::ReadCapture(file, tally);
        if (read.summary.linkType >= 0) {
            err << file << ": " << capture::SummaryText(read.summary) << '\n';
        }
        if (read.end == capture::ReadEnd::Failed) {
            err << "orvanta-db: " << read.error << '\n';
            complete = false;
        }
        total.packets += read.summary.packets;
        total.ipPackets += read.summary.ipPackets;
        total.skipped += read.summary.skipped;
    }
    if (files.size() > 1) {
        err << "total: " << capture::SummaryText(total) << '\n';
    }
    return complete;
}

} // namespace

int RunEndpoints(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    const LookupOptions options = ParseLookupOptions(args);
    if (options.help) {
        out << EndpointsUsage;
        return ExitSuccess;
    }
    if (options.addresses.empty()) {
        throw UsageError("no capture file given");
    }
    capture::EndpointTally tally;
    bool complete = ReadCaptures(options.addresses, tally, err);
    try {
        BulkLookup bulk(options.file, options.file6, options.asn, options.format, out, err);
        const LookupFormatter formatter(options.format);
        std::string counts;
        for (const capture::Endpoint& endpoint : tally.Entries()) {
            counts.clear();
            AppendCounts(formatter, counts, endpoint);
            bulk.Add(endpoint.address.Text(), counts);
        }
        bulk.Flush();
        complete = complete && !bulk.failed();
    } catch (const geoip::EFOpenError& error) {
        err << error.what() << '\n';
        return ExitFailure;
    }
    return complete ? ExitSuccess : ExitFailure;
}

} // namespace orvanta::dbtool
