// SPDX-License-Identifier: GPL-3.0-or-later
#include "net/SocketErrors.h"

#include <array>
#include <cerrno>
#include <netdb.h>
#include <utility>

namespace orvanta::net {

namespace {

struct CodeText {
    int code;
    std::string_view text;
};

constexpr std::array kTexts{
    CodeText{10004, "Interrupted system call."},
    CodeText{10009, "Bad file number."},
    CodeText{10013, "Access denied."},
    CodeText{10014, "Buffer fault."},
    CodeText{10022, "Invalid argument."},
    CodeText{10024, "Too many open files."},
    CodeText{10035, "Operation would block."},
    CodeText{10036, "Operation now in progress."},
    CodeText{10037, "Operation already in progress."},
    CodeText{10038, "Socket operation on non-socket."},
    CodeText{10039, "Destination address required."},
    CodeText{10040, "Message too long."},
    CodeText{10041, "Protocol wrong type for socket."},
    CodeText{10042, "Bad protocol option."},
    CodeText{10043, "Protocol not supported."},
    CodeText{10044, "Socket type not supported."},
    CodeText{10045, "Operation not supported on socket."},
    CodeText{10046, "Protocol family not supported."},
    CodeText{10047, "Address family not supported by protocol family."},
    CodeText{10048, "Address already in use."},
    CodeText{10049, "Cannot assign requested address."},
    CodeText{10050, "Network is down."},
    CodeText{10051, "Network is unreachable."},
    CodeText{10052, "Net dropped connection or reset."},
    CodeText{10053, "Software caused connection abort."},
    CodeText{10054, "Connection reset by peer."},
    CodeText{10055, "No buffer space available."},
    CodeText{10056, "Socket is already connected."},
    CodeText{10057, "Socket is not connected."},
    CodeText{10058, "Cannot send or receive after socket is closed."},
    CodeText{10059, "Too many references, cannot splice."},
    CodeText{10060, "Connection timed out."},
    CodeText{10061, "Connection refused."},
    CodeText{10062, "Too many levels of symbolic links."},
    CodeText{10063, "File name too long."},
    CodeText{10064, "Host is down."},
    CodeText{10065, "No route to host."},
    CodeText{10066, "Directory not empty"},
    CodeText{11001, "Host not found."},
};

// errno -> Windows Sockets number. EPIPE is what Linux reports for a send
// after the connection is gone; Windows reports that as "shut down".
constexpr std::array<std::pair<int, int>, 44> kErrnoMap{{
    {EINTR, 10004},        {EBADF, 10009},           {EACCES, 10013},
    {EPERM, 10013},        {EFAULT, 10014},          {EINVAL, 10022},
    {EMFILE, 10024},       {ENFILE, 10024},          {EAGAIN, 10035},
    {EINPROGRESS, 10036},  {EALREADY, 10037},        {ENOTSOCK, 10038},
    {EDESTADDRREQ, 10039}, {EMSGSIZE, 10040},        {EPROTOTYPE, 10041},
    {ENOPROTOOPT, 10042},  {EPROTONOSUPPORT, 10043}, {ESOCKTNOSUPPORT, 10044},
    {EOPNOTSUPP, 10045},   {EPFNOSUPPORT, 10046},    {EAFNOSUPPORT, 10047},
    {EADDRINUSE, 10048},   {EADDRNOTAVAIL, 10049},   {ENETDOWN, 10050},
    {ENETUNREACH, 10051},  {ENETRESET, 10052},       {ECONNABORTED, 10053},
    {ECONNRESET, 10054},   {ENOBUFS, 10055},         {ENOMEM, 10055},
    {EISCONN, 10056},      {ENOTCONN, 10057},        {ESHUTDOWN, 10058},
    {EPIPE, 10058},        {ETOOMANYREFS, 10059},    {ETIMEDOUT, 10060},
    {ECONNREFUSED, 10061}, {ELOOP, 10062},           {ENAMETOOLONG, 10063},
    {EHOSTDOWN, 10064},    {EHOSTUNREACH, 10065},    {ENOTEMPTY, 10066},
    {EPROTO, 10053},       {ENOSR, 10055},
}};

} // namespace

std::string_view SocketErrorText(int code) {
    for (const auto& entry : kTexts) {
        if (entry.code == code) {
            return entry.text;
        }
    }
    return {};
}

std::string SocketErrorMessage(int code) {
    std::string message = "Socket Error # " + std::to_string(code) + "\r\n";
    message += SocketErrorText(code);
    return message;
}

int WinsockCodeFromErrno(int err) {
    // EWOULDBLOCK equals EAGAIN on Linux; kept in one row above.
    for (const auto& [from, to] : kErrnoMap) {
        if (from == err) {
            return to;
        }
    }
    return err;
}

int WinsockCodeFromResolver(int gaiError) {
    switch (gaiError) {
    case EAI_NONAME:
        return kWsaHostNotFound;
    case EAI_AGAIN:
        return kWsaTryAgain;
    default:
        return kWsaNoData;
    }
}

} // namespace orvanta::net
