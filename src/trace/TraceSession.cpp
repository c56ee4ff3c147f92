// SPDX-License-Identifier: GPL-3.0-or-later
#include "trace/TraceSession.h"

#include "net/PrivateMode.h"
#include "trace/HopName.h"
#include "trace/TraceError.h"

#include <atomic>
#include <map>
#include <mutex>

namespace orvanta::trace {
namespace {
using Clock = std::chrono::steady_clock;

// Lookups still waiting on the resolver, across all traces: past this many
// a hop gets no name rather than one more thread.
constexpr int kMaxPendingLookups = 64;
std::atomic<int> pendingLookups{0};
} // namespace

TraceEvent TraceEvent::HopArrived(const Hop& hop) {
    TraceEvent event;
    event.kind = Kind::Hop;
    event.hop = hop;
    return event;
}

TraceEvent TraceEvent::NameOf(int hop, std::optional<std::string> name) {
    TraceEvent event;
    event.kind = Kind::HopName;
    event.hop.number = hop;
    event.name = std::move(name);
    return event;
}

struct TraceSession::Mailbox {
    std::mutex lock;
    std::vector<TraceEvent> events;
    // Hops whose name is still asked, with the moment it stops counting.
    std::map<int, Clock::time_point> waiting;
    bool running = true;
};

TraceSession::TraceSession() : lookup_(HostNameOfHop) {}

TraceSession::~TraceSession() {
    Stop();
    Join();
}

void TraceSession::SetNameLookup(NameLookup lookup, std::chrono::milliseconds timeout) {
    lookup_ = std::move(lookup);
    nameTimeout_ = timeout;
}

void TraceSession::Join() {
    if (worker_.joinable())
        worker_.join();
}

void TraceSession::Stop() {
    worker_.request_stop();
}

bool TraceSession::Running() const {
    if (!mailbox_)
        return false;
    const std::lock_guard<std::mutex> guard(mailbox_->lock);
    return mailbox_->running || !mailbox_->events.empty() || !mailbox_->waiting.empty();
}

void TraceSession::Start(const std::string& destination) {
    Stop();
    Join(); // the trace looks at its stop token at least every 50 ms
    auto mailbox = std::make_shared<Mailbox>();
    mailbox_ = mailbox;
    worker_ = std::jthread([mailbox, destination, options = options_, lookup = lookup_,
                            timeout = nameTimeout_](std::stop_token stop) {
        TraceEvent end;
        end.kind = TraceEvent::Kind::End;
        const auto onHop = [&](const Hop& hop) {
            const bool ask = lookup && pendingLookups.load() < kMaxPendingLookups;
            {
                const std::lock_guard<std::mutex> guard(mailbox->lock);
                mailbox->events.push_back(TraceEvent::HopArrived(hop));
                // Private mode: the probes go, the hops' names are not asked.
                if (hop.address.empty() || net::PrivateMode())
                    return;
                if (!ask) {
                    mailbox->events.push_back(TraceEvent::NameOf(hop.number, std::nullopt));
                    return;
                }
                mailbox->waiting[hop.number] = Clock::now() + timeout;
            }
            ++pendingLookups;
            std::thread([mailbox, lookup, number = hop.number, address = hop.address] {
                std::optional<std::string> name;
                try {
                    name = lookup(address);
                } catch (...) {
                }
                --pendingLookups;
                const std::lock_guard<std::mutex> guard(mailbox->lock);
                if (mailbox->waiting.erase(number))
                    mailbox->events.push_back(TraceEvent::NameOf(number, std::move(name)));
            }).detach();
        };
        try {
            end.summary = TraceRoute(destination, options, onHop, stop);
        } catch (const std::exception& error) {
            end.error = error.what();
        }
        const std::lock_guard<std::mutex> guard(mailbox->lock);
        mailbox->events.push_back(std::move(end));
        mailbox->running = false;
    });
}

std::vector<TraceEvent> TraceSession::TakeEvents() {
    std::vector<TraceEvent> taken;
    if (!mailbox_)
        return taken;
    const std::lock_guard<std::mutex> guard(mailbox_->lock);
    taken.swap(mailbox_->events);
    const auto now = Clock::now();
    for (auto it = mailbox_->waiting.begin(); it != mailbox_->waiting.end();) {
        if (now >= it->second) {
            taken.push_back(TraceEvent::NameOf(it->first, std::nullopt));
            it = mailbox_->waiting.erase(it);
        } else {
            ++it;
        }
    }
    return taken;
}

} // namespace orvanta::trace
