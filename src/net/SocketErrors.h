// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The Windows Sockets error numbers and texts the program reports, and the
// mapping of this platform's errno and resolver codes onto them.

#include <string>
#include <string_view>

namespace orvanta::net {

// Windows Sockets numbers used outside the table's plain errno mapping.
inline constexpr int kWsaTimedOut = 10060;
inline constexpr int kWsaInvalidArgument = 10022;
inline constexpr int kWsaHostNotFound = 11001;
inline constexpr int kWsaTryAgain = 11002;
inline constexpr int kWsaNoData = 11004;

// The text shown for a Windows Sockets number; empty when unknown.
std::string_view SocketErrorText(int code);

// "Socket Error # <code>\r\n<text>".
std::string SocketErrorMessage(int code);

// An errno value from a socket call as its Windows Sockets number. Values
// with no counterpart are passed through unchanged (and so have no text).
int WinsockCodeFromErrno(int err);

// A getaddrinfo/getnameinfo result code (EAI_*) as a resolver number:
// name not found 11001, temporary failure 11002, anything else 11004.
int WinsockCodeFromResolver(int gaiError);

} // namespace orvanta::net
