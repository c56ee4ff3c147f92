// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A packet capture as a many-address run: the capture is streamed into an
// endpoint tally (progress told by bytes read), then every endpoint is
// answered as a text's addresses are, in the order first seen, with its
// packets as the row's count and its bytes on the wire beside them.
//
//     const CaptureOutcome done = LocateCapture(path, opener, stop, hooks);

#include "bulk/BulkLocate.h"
#include "capture/CaptureReader.h"

#include <atomic>
#include <string>

namespace orvanta::bulk {

struct CaptureOutcome {
    BulkOutcome outcome = BulkOutcome::Done;
    // Set when the capture is damaged part-way: the rows of what came
    // before the damage were still handed out.
    std::string error;
    capture::CaptureSummary summary;
};

// A stop ends the reading, and what was counted until then is still
// answered (Stopped). Throws std::runtime_error with the reader's message
// when nothing could be counted (no capture, a link type not read, damage
// before the first packet), and the opener's errors.
CaptureOutcome LocateCapture(const std::string& path, const BulkLocate::Opener& opener,
                             const std::atomic<bool>& stop, const BulkHooks& hooks);

} // namespace orvanta::bulk
