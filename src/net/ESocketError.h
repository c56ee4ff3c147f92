// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A socket or resolver failure, numbered as Windows Sockets numbers it so
// that users (and support texts written for the original tool) see the
// same "Socket Error # 10061" lines on every platform.

#include "net/EWhoisError.h"

namespace orvanta::net {

class ESocketError : public EWhoisError {
public:
    // Message "Socket Error # <code>\r\n<text of code>" (empty text for
    // numbers the table does not know).
    explicit ESocketError(int code);

    int Code() const noexcept { return code_; }

private:
    int code_;
};

} // namespace orvanta::net
