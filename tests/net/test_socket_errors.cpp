// SPDX-License-Identifier: GPL-3.0-or-later
// Platform errors must come out as the Windows Sockets numbers and texts
// users see in the error report.

#include "net/ESocketError.h"
#include "net/SocketErrors.h"

#include <cerrno>
#include <gtest/gtest.h>
#include <netdb.h>

namespace {

using namespace orvanta::net;

struct ErrnoCase {
    const char* name;
    int err;
    int code;
    const char* text;
};
void PrintTo(const ErrnoCase& c, std::ostream* os) {
    *os << c.name;
}

class ErrnoMapping : public testing::TestWithParam<ErrnoCase> {};

TEST_P(ErrnoMapping, NumberAndText) {
    const ErrnoCase& c = GetParam();
    EXPECT_EQ(WinsockCodeFromErrno(c.err), c.code);
    EXPECT_EQ(SocketErrorText(c.code), c.text);
    const ESocketError error(WinsockCodeFromErrno(c.err));
    EXPECT_EQ(error.Code(), c.code);
    EXPECT_EQ(std::string(error.what()),
              "Socket Error # " + std::to_string(c.code) + "\r\n" + c.text);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ErrnoMapping,
    testing::Values(
        ErrnoCase{"Refused", ECONNREFUSED, 10061, "Connection refused."},
        ErrnoCase{"TimedOut", ETIMEDOUT, 10060, "Connection timed out."},
        ErrnoCase{"Reset", ECONNRESET, 10054, "Connection reset by peer."},
        ErrnoCase{"NetUnreachable", ENETUNREACH, 10051, "Network is unreachable."},
        ErrnoCase{"HostUnreachable", EHOSTUNREACH, 10065, "No route to host."},
        ErrnoCase{"AddressInUse", EADDRINUSE, 10048, "Address already in use."},
        ErrnoCase{"NotAvailable", EADDRNOTAVAIL, 10049, "Cannot assign requested address."},
        ErrnoCase{"Interrupted", EINTR, 10004, "Interrupted system call."},
        ErrnoCase{"Access", EACCES, 10013, "Access denied."},
        ErrnoCase{"WouldBlock", EWOULDBLOCK, 10035, "Operation would block."},
        ErrnoCase{"InProgress", EINPROGRESS, 10036, "Operation now in progress."},
        ErrnoCase{"Aborted", ECONNABORTED, 10053, "Software caused connection abort."},
        ErrnoCase{"BrokenPipe", EPIPE, 10058, "Cannot send or receive after socket is closed."},
        ErrnoCase{"HostDown", EHOSTDOWN, 10064, "Host is down."},
        ErrnoCase{"NotEmptyHasNoStop", ENOTEMPTY, 10066, "Directory not empty"},
        ErrnoCase{"FileTable", EMFILE, 10024, "Too many open files."},
        ErrnoCase{"UnknownPassesThrough", EDOM, EDOM, ""}),
    [](const auto& info) { return std::string(info.param.name); });

struct ResolverCase {
    const char* name;
    int gai;
    int code;
    const char* message;
};
void PrintTo(const ResolverCase& c, std::ostream* os) {
    *os << c.name;
}

class ResolverMapping : public testing::TestWithParam<ResolverCase> {};

TEST_P(ResolverMapping, NumberAndMessage) {
    EXPECT_EQ(WinsockCodeFromResolver(GetParam().gai), GetParam().code);
    EXPECT_EQ(SocketErrorMessage(GetParam().code), GetParam().message);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ResolverMapping,
    testing::Values(ResolverCase{"NotFound", EAI_NONAME, 11001,
                                 "Socket Error # 11001\r\nHost not found."},
                    ResolverCase{"TryAgain", EAI_AGAIN, 11002, "Socket Error # 11002\r\n"},
                    ResolverCase{"Fail", EAI_FAIL, 11004, "Socket Error # 11004\r\n"},
                    ResolverCase{"Memory", EAI_MEMORY, 11004, "Socket Error # 11004\r\n"}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
