// SPDX-License-Identifier: GPL-3.0-or-later
#include "net/PrivateMode.h"

#include <atomic>

namespace orvanta::net {
namespace {

std::atomic<bool> privateMode{false};

} // namespace

void SetPrivateMode(bool on) {
    privateMode.store(on);
}

bool PrivateMode() {
    return privateMode.load();
}

} // namespace orvanta::net
