// SPDX-License-Identifier: GPL-3.0-or-later
#include "net/ESocketError.h"

#include "net/SocketErrors.h"

namespace orvanta::net {

ESocketError::ESocketError(int code) : EWhoisError(SocketErrorMessage(code)), code_(code) {}

} // namespace orvanta::net
