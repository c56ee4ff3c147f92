// SPDX-License-Identifier: GPL-3.0-or-later
#include "trace/Tracer.h"

#include "net/SocketHandle.h"
#include "trace/ErrorQueue.h"
#include "trace/TraceError.h"
#include "trace/TraceTarget.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>

namespace orvanta::trace {
namespace {

using Clock = std::chrono::steady_clock;

// The longest a wait may run before the stop token is looked at again.
constexpr std::chrono::milliseconds kStopCheck{50};

std::int64_t RealTimeNs() {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    return std::int64_t{now.tv_sec} * 1'000'000'000 + now.tv_nsec;
}

struct ProbeState {
    int hop = 0;
    bool sent = false;
    bool done = false;
    Clock::time_point deadline;
    std::int64_t sentNs = 0;
    Probe result;
    std::optional<IcmpKind> kind;
    int icmpCode = 0;
};

std::string NoRouteText(const TraceTarget& target, int error) {
    return "Cannot trace the route to " + target.text + ": " + std::strerror(error);
}

class TraceRun {
public:
    TraceRun(const TraceTarget& target, const TraceOptions& options)
        : target_(target), options_(options) {
        probes_.resize(static_cast<std::size_t>(options_.maxHops * options_.probesPerHop));
        for (std::size_t i = 0; i < probes_.size(); ++i)
            probes_[i].hop = static_cast<int>(i) / options_.probesPerHop + 1;
        lastHop_ = options_.maxHops;
        OpenSocket();
    }

    TraceSummary Run(const HopSink& onHop, const std::stop_token& stop) {
        TraceSummary summary;
        summary.destination = target_.text;
        while (nextToReport_ <= lastHop_) {
            if (stop.stop_requested()) {
                summary.stopped = true;
                break;
            }
            SendDue();
            Wait();
            DrainErrors();
            ExpireProbes();
            while (nextToReport_ <= lastHop_ && HopDone(nextToReport_)) {
                const Hop hop = HopOf(nextToReport_++);
                ++summary.hops;
                summary.reached = hop.kind == HopKind::Destination;
                onHop(hop);
            }
        }
        return summary;
    }

private:
    void OpenSocket() {
        socket_ = net::SocketHandle(::socket(target_.family, SOCK_DGRAM | SOCK_CLOEXEC, 0));
        if (!socket_.IsOpen()) {
            if (errno == EAFNOSUPPORT)
                throw TraceError("Cannot trace the route to " + target_.text +
                                 ": this machine has no IPv6");
            throw TraceError(NoRouteText(target_, errno));
        }
        const int on = 1;
        const bool v4 = target_.family == AF_INET;
        if (::setsockopt(socket_.Get(), v4 ? SOL_IP : SOL_IPV6, v4 ? IP_RECVERR : IPV6_RECVERR, &on,
                         sizeof on) != 0)
            throw TraceError(NoRouteText(target_, errno));
        // Arrival times stamped by the kernel keep a busy program's delay
        // out of the round trips; without them the read time stands in.
        ::setsockopt(socket_.Get(), SOL_SOCKET, SO_TIMESTAMPNS, &on, sizeof on);
    }

    std::size_t FirstProbe(int hop) const {
        return static_cast<std::size_t>((hop - 1) * options_.probesPerHop);
    }

    void SendDue() {
        while (nextToSend_ <= lastHop_ && nextToSend_ < nextToReport_ + options_.hopsInFlight) {
            for (int i = 0; i < options_.probesPerHop; ++i)
                Send(FirstProbe(nextToSend_) + static_cast<std::size_t>(i));
            ++nextToSend_;
        }
    }

    void Send(std::size_t index) {
        ProbeState& probe = probes_[index];
        const int limit = probe.hop;
        const bool v4 = target_.family == AF_INET;
        if (::setsockopt(socket_.Get(), v4 ? SOL_IP : SOL_IPV6, v4 ? IP_TTL : IPV6_UNICAST_HOPS,
                         &limit, sizeof limit) != 0)
            throw TraceError(NoRouteText(target_, errno));
        sockaddr_storage to = target_.address;
        const auto port = htons(static_cast<std::uint16_t>(options_.firstPort + index));
        if (v4)
            reinterpret_cast<sockaddr_in*>(&to)->sin_port = port;
        else
            reinterpret_cast<sockaddr_in6*>(&to)->sin6_port = port;
        const char payload[] = "orvanta trace probe";
        // An answer to an earlier probe is also reported as a send error
        // once (the socket's pending error); only a failure that stays is
        // a route that does not exist.
        int error = 0;
        for (int attempt = 0; attempt < 4; ++attempt) {
            DrainErrors();
            probe.sentNs = RealTimeNs();
            probe.deadline = Clock::now() + options_.probeTimeout;
            if (::sendto(socket_.Get(), payload, sizeof payload, 0,
                         reinterpret_cast<const sockaddr*>(&to), target_.length) >= 0) {
                probe.sent = true;
                return;
            }
            error = errno;
            if (error == EINTR || error == EAGAIN)
                continue;
            if (error != EHOSTUNREACH && error != ENETUNREACH && error != ECONNREFUSED &&
                error != EPROTO && error != EMSGSIZE)
                break;
        }
        if (index == 0 || (error != EHOSTUNREACH && error != ECONNREFUSED))
            throw TraceError(NoRouteText(target_, error));
        // A probe that could not leave simply goes unanswered.
        probe.sent = true;
    }

    void Wait() {
        auto until = Clock::now() + kStopCheck;
        for (const ProbeState& probe : probes_)
            if (probe.sent && !probe.done && probe.hop <= lastHop_)
                until = std::min(until, probe.deadline);
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now()).count();
        pollfd watch{socket_.Get(), POLLIN | POLLERR, 0};
        ::poll(&watch, 1, static_cast<int>(std::max<long long>(left, 0) + 1));
        if (watch.revents & POLLIN) {
            // Nothing is expected on the data queue; whatever came is read
            // away so that it cannot keep waking the wait.
            char discard[512];
            for (int n = 0; n < 256; ++n)
                if (::recv(socket_.Get(), discard, sizeof discard, MSG_DONTWAIT) < 0)
                    break;
        }
    }

    void DrainErrors() {
        for (int n = 0; n < 256; ++n) {
            sockaddr_storage name{};
            char data[512];
            alignas(cmsghdr) unsigned char control[512];
            iovec io{data, sizeof data};
            msghdr message{};
            message.msg_name = &name;
            message.msg_namelen = sizeof name;
            message.msg_iov = &io;
            message.msg_iovlen = 1;
            message.msg_control = control;
            message.msg_controllen = sizeof control;
            if (::recvmsg(socket_.Get(), &message, MSG_ERRQUEUE | MSG_DONTWAIT) < 0)
                break;
            const auto report = DecodeErrorQueueMessage(target_.family, &name, message.msg_namelen,
                                                        control, message.msg_controllen);
            if (report)
                Match(*report);
        }
        // The socket's pending error mirrors the queue; left set with the
        // queue empty it would keep every wait from waiting.
        int pending = 0;
        socklen_t size = sizeof pending;
        ::getsockopt(socket_.Get(), SOL_SOCKET, SO_ERROR, &pending, &size);
    }

    // The quoted datagram names the probe: its destination must be ours and
    // its port one we sent, still waiting. Anything else is somebody else's
    // answer, or a late one, and is left out.
    void Match(const ErrorReport& report) {
        const auto port = QuotedPortTo(target_, report.quotedDestination);
        if (!port || *port < options_.firstPort ||
            static_cast<std::size_t>(*port - options_.firstPort) >= probes_.size())
            return;
        ProbeState& probe = probes_[*port - options_.firstPort];
        if (!probe.sent || probe.done)
            return;
        probe.done = true;
        probe.kind = report.kind;
        probe.icmpCode = report.icmpCode;
        probe.result.address = report.offender;
        const std::int64_t at = report.arrivalNs.value_or(RealTimeNs());
        probe.result.rttMs =
            static_cast<double>(std::max<std::int64_t>(at - probe.sentNs, 0)) / 1e6;
        if (report.kind != IcmpKind::TimeExceeded)
            lastHop_ = std::min(lastHop_, probe.hop);
    }

    void ExpireProbes() {
        const auto now = Clock::now();
        for (ProbeState& probe : probes_)
            if (probe.sent && !probe.done && now >= probe.deadline)
                probe.done = true;
    }

    bool HopDone(int hop) const {
        for (int i = 0; i < options_.probesPerHop; ++i) {
            const ProbeState& probe = probes_[FirstProbe(hop) + static_cast<std::size_t>(i)];
            if (!probe.sent || !probe.done)
                return false;
        }
        return true;
    }

    Hop HopOf(int number) const {
        Hop hop;
        hop.number = number;
        for (int i = 0; i < options_.probesPerHop; ++i) {
            const ProbeState& probe = probes_[FirstProbe(number) + static_cast<std::size_t>(i)];
            hop.probes.push_back(probe.result);
            if (!probe.kind)
                continue;
            if (hop.address.empty())
                hop.address = probe.result.address;
            // One probe reaching the end makes the hop the end.
            if (*probe.kind == IcmpKind::PortUnreachable)
                hop.kind = HopKind::Destination;
            else if (*probe.kind == IcmpKind::OtherUnreachable &&
                     hop.kind != HopKind::Destination) {
                hop.kind = HopKind::Unreachable;
                hop.icmpCode = probe.icmpCode;
            } else if (hop.kind == HopKind::Silent)
                hop.kind = HopKind::Router;
        }
        return hop;
    }

    TraceTarget target_;
    TraceOptions options_;
    net::SocketHandle socket_;
    std::vector<ProbeState> probes_;
    int nextToSend_ = 1;
    int nextToReport_ = 1;
    int lastHop_ = 0;
};

} // namespace

TraceSummary TraceRoute(const std::string& destination, const TraceOptions& options,
                        const HopSink& onHop, std::stop_token stop) {
    const TraceTarget target = ParseTraceTarget(destination);
    if (options.maxHops < 1 || options.maxHops > 255 || options.probesPerHop < 1 ||
        options.probesPerHop > 10 || options.hopsInFlight < 1 || options.probeTimeout.count() < 1 ||
        options.firstPort + options.maxHops * options.probesPerHop > 65535)
        throw TraceError("Trace options out of range");
    TraceRun run(target, options);
    return run.Run(onHop, stop);
}

} // namespace orvanta::trace
