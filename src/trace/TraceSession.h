// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One trace at a time, run off the caller's thread, for a window that polls:
// Start() begins a trace (ending the one before), TakeEvents() hands over
// what happened since the last call: hops in order, host names of hops,
// and the end (with an error text when the trace could not run); in private
// mode hops come without any name event, their names never asked. Host
// names are asked in the background; one that takes longer than the name
// time-out is reported as none, and a late answer is dropped.
//
// The host name lookups run on detached threads that share only their own
// mailbox, so a resolver that hangs never holds up a Stop, a new trace or
// the program's end.
#include "trace/Tracer.h"

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace orvanta::trace {

struct TraceEvent {
    enum class Kind {
        Hop,     // `hop` arrived
        HopName, // `hop.number` got its `name` (none: no name found in time)
        End,     // the trace is over: `summary`, or `error` when it could not run
    };
    Kind kind = Kind::Hop;
    Hop hop;
    std::optional<std::string> name;
    TraceSummary summary;
    std::string error;

    static TraceEvent HopArrived(const Hop& hop);
    static TraceEvent NameOf(int hop, std::optional<std::string> name);
};

// How a hop's address becomes a name; runs on a background thread.
using NameLookup = std::function<std::optional<std::string>(const std::string& address)>;

class TraceSession {
public:
    TraceSession();
    ~TraceSession();
    TraceSession(const TraceSession&) = delete;
    TraceSession& operator=(const TraceSession&) = delete;

    void SetOptions(const TraceOptions& options) { options_ = options; }
    void SetNameLookup(NameLookup lookup, std::chrono::milliseconds timeout);

    void Start(const std::string& destination);
    // Ends the running trace; its end event still comes.
    void Stop();
    bool Running() const;

    std::vector<TraceEvent> TakeEvents();

private:
    struct Mailbox;
    void Join();

    TraceOptions options_;
    NameLookup lookup_;
    std::chrono::milliseconds nameTimeout_{4000};
    std::shared_ptr<Mailbox> mailbox_;
    std::jthread worker_;
};

} // namespace orvanta::trace
