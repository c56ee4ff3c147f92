// SPDX-License-Identifier: GPL-3.0-or-later
#include "trace/TraceTarget.h"

#include "trace/TraceError.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>

using orvanta::trace::ParseTraceTarget;
using orvanta::trace::TraceError;

TEST(TraceTarget, AddressesTraced) {
    const struct {
        const char* text;
        int family;
        const char* canonical;
    } rows[] = {
        {"192.0.2.7", AF_INET, "192.0.2.7"},
        {"2001:DB8:0:0::1", AF_INET6, "2001:db8::1"},
        {"::ffff:198.51.100.4", AF_INET, "198.51.100.4"},
        {"127.0.0.1", AF_INET, "127.0.0.1"},
    };
    for (const auto& row : rows) {
        const auto target = ParseTraceTarget(row.text);
        EXPECT_EQ(target.family, row.family) << row.text;
        EXPECT_EQ(target.text, row.canonical) << row.text;
    }
}

TEST(TraceTarget, AddressesRefused) {
    for (const char* text :
         {"0.0.0.0", "::", "224.0.0.1", "239.255.255.250", "255.255.255.255", "ff02::1",
          "::ffff:224.0.0.9", "", "example.org", "192.0.2.7 ", "1.2.3", "2001:db8::1%eth0"}) {
        EXPECT_THROW(ParseTraceTarget(text), TraceError) << '"' << text << '"';
    }
}

namespace {
sockaddr_storage Quoted(const char* address, std::uint16_t port) {
    sockaddr_storage quoted{};
    in_addr v4{};
    in6_addr v6{};
    if (inet_pton(AF_INET, address, &v4) == 1) {
        auto* a = reinterpret_cast<sockaddr_in*>(&quoted);
        a->sin_family = AF_INET;
        a->sin_addr = v4;
        a->sin_port = htons(port);
    } else if (inet_pton(AF_INET6, address, &v6) == 1) {
        auto* a = reinterpret_cast<sockaddr_in6*>(&quoted);
        a->sin6_family = AF_INET6;
        a->sin6_addr = v6;
        a->sin6_port = htons(port);
    }
    return quoted;
}
} // namespace

// An answer belongs to a probe only through the datagram it quotes: sent to
// the target, at that probe's port. Answers quoting other datagrams of the
// socket, or of other families, belong to no probe.
TEST(TraceTarget, AnswersFindTheirProbeByTheQuotedDatagram) {
    const auto v4 = orvanta::trace::ParseTraceTarget("192.0.2.6");
    const auto v6 = orvanta::trace::ParseTraceTarget("2001:db8:3::2");
    const struct {
        const char* name;
        const orvanta::trace::TraceTarget* target;
        sockaddr_storage quoted;
        std::optional<std::uint16_t> port;
    } rows[] = {
        {"IPv4 probe", &v4, Quoted("192.0.2.6", 33437), 33437},
        {"IPv6 probe", &v6, Quoted("2001:db8:3::2", 33500), 33500},
        {"another destination", &v4, Quoted("192.0.2.7", 33437), std::nullopt},
        {"another family", &v4, Quoted("::ffff:192.0.2.6", 33437), std::nullopt},
        {"IPv6 neighbour", &v6, Quoted("2001:db8:3::3", 33434), std::nullopt},
        {"no address", &v6, sockaddr_storage{}, std::nullopt},
    };
    for (const auto& row : rows)
        EXPECT_EQ(orvanta::trace::QuotedPortTo(*row.target, row.quoted), row.port) << row.name;
}
