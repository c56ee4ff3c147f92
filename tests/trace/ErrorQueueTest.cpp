// SPDX-License-Identifier: GPL-3.0-or-later
// Error-queue messages as the kernel lays them out, and the ones a trace
// must not take for an answer to its probes.
#include "trace/ErrorQueue.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cstring>
#include <gtest/gtest.h>
#include <linux/errqueue.h>
#include <netinet/in.h>
#include <vector>

using orvanta::trace::DecodeErrorQueueMessage;
using orvanta::trace::IcmpKind;

namespace {

struct Message {
    std::vector<unsigned char> name;
    std::vector<unsigned char> control;
};

template <typename T> void Append(std::vector<unsigned char>& out, const T& value) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(&value);
    out.insert(out.end(), bytes, bytes + sizeof value);
}

void AddControl(std::vector<unsigned char>& control, int level, int type,
                const std::vector<unsigned char>& data) {
    cmsghdr header{};
    header.cmsg_level = level;
    header.cmsg_type = type;
    header.cmsg_len = CMSG_LEN(data.size());
    const std::size_t start = control.size();
    Append(control, header);
    control.resize(start + CMSG_LEN(0), 0);
    for (unsigned char byte : data)
        control.push_back(byte);
    control.resize(start + CMSG_SPACE(data.size()), 0);
}

Message V4Message(std::uint8_t origin, std::uint8_t type, std::uint8_t code,
                  bool wholeOffender = true) {
    Message m;
    sockaddr_in quoted{};
    quoted.sin_family = AF_INET;
    quoted.sin_port = htons(33435);
    inet_pton(AF_INET, "203.0.113.9", &quoted.sin_addr);
    Append(m.name, quoted);
    std::vector<unsigned char> data;
    sock_extended_err error{};
    error.ee_errno = EHOSTUNREACH;
    error.ee_origin = origin;
    error.ee_type = type;
    error.ee_code = code;
    Append(data, error);
    sockaddr_in offender{};
    offender.sin_family = AF_INET;
    inet_pton(AF_INET, "198.51.100.2", &offender.sin_addr);
    if (wholeOffender)
        Append(data, offender);
    else
        Append(data, offender.sin_addr);
    AddControl(m.control, SOL_IP, IP_RECVERR, data);
    return m;
}

Message V6Message(std::uint8_t type, std::uint8_t code) {
    Message m;
    sockaddr_in6 quoted{};
    quoted.sin6_family = AF_INET6;
    inet_pton(AF_INET6, "2001:db8:3::2", &quoted.sin6_addr);
    Append(m.name, quoted);
    std::vector<unsigned char> data;
    sock_extended_err error{};
    error.ee_origin = SO_EE_ORIGIN_ICMP6;
    error.ee_type = type;
    error.ee_code = code;
    Append(data, error);
    sockaddr_in6 offender{};
    offender.sin6_family = AF_INET6;
    inet_pton(AF_INET6, "2001:db8:1::2", &offender.sin6_addr);
    Append(data, offender);
    // A timestamp first: the error need not be the first control message.
    timespec at{5, 250};
    std::vector<unsigned char> stamp;
    Append(stamp, at);
    AddControl(m.control, SOL_SOCKET, SCM_TIMESTAMPNS, stamp);
    AddControl(m.control, SOL_IPV6, IPV6_RECVERR, data);
    return m;
}

std::optional<orvanta::trace::ErrorReport> Decode(int family, const Message& m) {
    return DecodeErrorQueueMessage(family, m.name.data(), m.name.size(), m.control.data(),
                                   m.control.size());
}

} // namespace

TEST(ErrorQueue, AnswersOfRoutersAndDestinations) {
    const auto exceeded = Decode(AF_INET, V4Message(SO_EE_ORIGIN_ICMP, 11, 0));
    ASSERT_TRUE(exceeded);
    EXPECT_EQ(exceeded->kind, IcmpKind::TimeExceeded);
    EXPECT_EQ(exceeded->offender, "198.51.100.2");
    EXPECT_EQ(ntohs(reinterpret_cast<const sockaddr_in&>(exceeded->quotedDestination).sin_port),
              33435);
    EXPECT_FALSE(exceeded->arrivalNs);

    const auto port = Decode(AF_INET, V4Message(SO_EE_ORIGIN_ICMP, 3, 3));
    ASSERT_TRUE(port);
    EXPECT_EQ(port->kind, IcmpKind::PortUnreachable);
    const auto host = Decode(AF_INET, V4Message(SO_EE_ORIGIN_ICMP, 3, 1));
    ASSERT_TRUE(host);
    EXPECT_EQ(host->kind, IcmpKind::OtherUnreachable);
    EXPECT_EQ(host->icmpCode, 1);

    const auto v6 = Decode(AF_INET6, V6Message(3, 0));
    ASSERT_TRUE(v6);
    EXPECT_EQ(v6->kind, IcmpKind::TimeExceeded);
    EXPECT_EQ(v6->offender, "2001:db8:1::2");
    EXPECT_EQ(v6->arrivalNs, 5'000'000'250);
    EXPECT_EQ(Decode(AF_INET6, V6Message(1, 4))->kind, IcmpKind::PortUnreachable);
}

TEST(ErrorQueue, MessagesThatAreNoAnswer) {
    Message localError = V4Message(SO_EE_ORIGIN_LOCAL, 0, 0);
    Message noOffender = V4Message(SO_EE_ORIGIN_ICMP, 11, 0, false);
    Message reassembly = V4Message(SO_EE_ORIGIN_ICMP, 11, 1); // fragment reassembly time-out
    Message redirect = V4Message(SO_EE_ORIGIN_ICMP, 5, 0);
    Message cutLength = V4Message(SO_EE_ORIGIN_ICMP, 11, 0);
    cutLength.control.clear();
    AddControl(cutLength.control, SOL_IP, IP_RECVERR, std::vector<unsigned char>(40));
    reinterpret_cast<cmsghdr*>(cutLength.control.data())->cmsg_len = 4096; // past the end
    Message shortName = V4Message(SO_EE_ORIGIN_ICMP, 11, 0);
    shortName.name.resize(4);
    Message noControl = V4Message(SO_EE_ORIGIN_ICMP, 11, 0);
    noControl.control.clear();
    const struct {
        const char* name;
        int family;
        const Message* message;
    } rows[] = {
        {"local error", AF_INET, &localError},
        {"offender cut short", AF_INET, &noOffender},
        {"reassembly time-out", AF_INET, &reassembly},
        {"redirect", AF_INET, &redirect},
        {"length past the buffer", AF_INET, &cutLength},
        {"name too short", AF_INET, &shortName},
        {"no control data", AF_INET, &noControl},
        {"IPv4 message on an IPv6 trace", AF_INET6, &redirect},
    };
    for (const auto& row : rows)
        EXPECT_FALSE(Decode(row.family, *row.message)) << row.name;
}
