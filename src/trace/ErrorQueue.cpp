// SPDX-License-Identifier: GPL-3.0-or-later
#include "trace/ErrorQueue.h"

#include <arpa/inet.h>
#include <cstring>
#include <ctime>
#include <linux/errqueue.h>
#include <netinet/icmp6.h>
#include <netinet/in.h>
#include <netinet/ip_icmp.h>

namespace orvanta::trace {
namespace {

std::optional<IcmpKind> KindOf(int family, int type, int code) {
    if (family == AF_INET) {
        if (type == ICMP_TIME_EXCEEDED && code == ICMP_EXC_TTL)
            return IcmpKind::TimeExceeded;
        if (type == ICMP_DEST_UNREACH)
            return code == ICMP_PORT_UNREACH ? IcmpKind::PortUnreachable
                                             : IcmpKind::OtherUnreachable;
        return std::nullopt;
    }
    if (type == ICMP6_TIME_EXCEEDED && code == ICMP6_TIME_EXCEED_TRANSIT)
        return IcmpKind::TimeExceeded;
    if (type == ICMP6_DST_UNREACH)
        return code == ICMP6_DST_UNREACH_NOPORT ? IcmpKind::PortUnreachable
                                                : IcmpKind::OtherUnreachable;
    return std::nullopt;
}

// The offender sits right behind the extended error inside the same control
// message; it is only read when the message is long enough to hold it.
std::optional<std::string> OffenderText(int family, const unsigned char* data, std::size_t length) {
    const std::size_t at = sizeof(sock_extended_err);
    char text[INET6_ADDRSTRLEN] = {};
    if (family == AF_INET) {
        sockaddr_in address{};
        if (length < at + sizeof address)
            return std::nullopt;
        std::memcpy(&address, data + at, sizeof address);
        if (address.sin_family != AF_INET ||
            !inet_ntop(AF_INET, &address.sin_addr, text, sizeof text))
            return std::nullopt;
        return std::string(text);
    }
    sockaddr_in6 address{};
    if (length < at + sizeof address)
        return std::nullopt;
    std::memcpy(&address, data + at, sizeof address);
    if (address.sin6_family != AF_INET6 ||
        !inet_ntop(AF_INET6, &address.sin6_addr, text, sizeof text))
        return std::nullopt;
    return std::string(text);
}

} // namespace

std::optional<ErrorReport> DecodeErrorQueueMessage(int family, const void* name,
                                                   std::size_t nameLength, const void* control,
                                                   std::size_t controlLength) {
    if (family != AF_INET && family != AF_INET6)
        return std::nullopt;
    const std::size_t wantedName = family == AF_INET ? sizeof(sockaddr_in) : sizeof(sockaddr_in6);
    if (!name || nameLength < wantedName || nameLength > sizeof(sockaddr_storage))
        return std::nullopt;
    ErrorReport report;
    std::memcpy(&report.quotedDestination, name, nameLength);
    if (report.quotedDestination.ss_family != family)
        return std::nullopt;

    // Walked by offsets, each header copied out: the bytes need not be
    // aligned, and no length in them can point outside the buffer.
    const auto* bytes = static_cast<const unsigned char*>(control);
    const int errorLevel = family == AF_INET ? SOL_IP : SOL_IPV6;
    const int errorType = family == AF_INET ? IP_RECVERR : IPV6_RECVERR;
    const std::uint8_t origin = family == AF_INET ? SO_EE_ORIGIN_ICMP : SO_EE_ORIGIN_ICMP6;
    bool haveError = false;
    std::size_t offset = 0;
    while (bytes && controlLength - offset >= sizeof(cmsghdr)) {
        cmsghdr header{};
        std::memcpy(&header, bytes + offset, sizeof header);
        if (header.cmsg_len < CMSG_LEN(0) || header.cmsg_len > controlLength - offset)
            break;
        const unsigned char* data = bytes + offset + CMSG_LEN(0);
        const std::size_t length = header.cmsg_len - CMSG_LEN(0);
        if (header.cmsg_level == SOL_SOCKET && header.cmsg_type == SCM_TIMESTAMPNS &&
            length >= sizeof(timespec)) {
            timespec at{};
            std::memcpy(&at, data, sizeof at);
            // A clock reading past the year 2200 is no clock reading.
            if (at.tv_sec >= 0 && at.tv_sec < 7'300'000'000 && at.tv_nsec >= 0 &&
                at.tv_nsec < 1'000'000'000)
                report.arrivalNs = std::int64_t{at.tv_sec} * 1'000'000'000 + at.tv_nsec;
        } else if (header.cmsg_level == errorLevel && header.cmsg_type == errorType && !haveError &&
                   length >= sizeof(sock_extended_err)) {
            sock_extended_err error{};
            std::memcpy(&error, data, sizeof error);
            if (error.ee_origin != origin)
                return std::nullopt;
            const auto kind = KindOf(family, error.ee_type, error.ee_code);
            auto offender = OffenderText(family, data, length);
            if (!kind || !offender)
                return std::nullopt;
            report.kind = *kind;
            report.icmpType = error.ee_type;
            report.icmpCode = error.ee_code;
            report.offender = std::move(*offender);
            haveError = true;
        }
        const std::size_t step = CMSG_ALIGN(header.cmsg_len);
        if (step > controlLength - offset)
            break;
        offset += step;
    }
    if (!haveError)
        return std::nullopt;
    return report;
}

} // namespace orvanta::trace
