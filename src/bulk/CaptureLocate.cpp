// SPDX-License-Identifier: GPL-3.0-or-later
#include "bulk/CaptureLocate.h"

#include <stdexcept>

namespace orvanta::bulk {

CaptureOutcome LocateCapture(const std::string& path, const BulkLocate::Opener& opener,
                             const std::atomic<bool>& stop, const BulkHooks& hooks) {
    capture::EndpointTally tally;
    capture::ReadControl control;
    control.stop = &stop;
    if (hooks.scanned)
        control.progress = [&](std::uint64_t read, std::uint64_t) { hooks.scanned(read); };
    const capture::CaptureRead read = capture::ReadCapture(path, tally, control);
    const std::vector<capture::Endpoint>& endpoints = tally.Entries();
    if (read.end == capture::ReadEnd::Failed && read.summary.packets == 0)
        throw std::runtime_error(read.error);

    CaptureOutcome outcome;
    outcome.summary = read.summary;
    outcome.error = read.end == capture::ReadEnd::Failed ? read.error : std::string();
    if (endpoints.empty()) {
        outcome.outcome =
            read.end == capture::ReadEnd::Stopped ? BulkOutcome::Stopped : BulkOutcome::NoAddresses;
        return outcome;
    }
    if (hooks.counted)
        hooks.counted(endpoints.size());
    // Counted packets are kept: the lookups of what was read go on after a
    // stop (they take a moment, however long the capture was).
    const std::atomic<bool> goOn{false};
    const std::unique_ptr<RunDatabases> databases = opener();
    AnswerRows(
        endpoints.size(),
        [&](std::size_t i, BulkRow& row) {
            row.count = endpoints[i].packets;
            row.bytes = endpoints[i].bytes;
            return endpoints[i].address;
        },
        *databases, goOn, hooks);
    outcome.outcome =
        read.end == capture::ReadEnd::Stopped ? BulkOutcome::Stopped : BulkOutcome::Done;
    return outcome;
}

} // namespace orvanta::bulk
