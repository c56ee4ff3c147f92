// SPDX-License-Identifier: GPL-3.0-or-later
#include "forms/support/BackgroundThread.h"

#include <sys/resource.h>
#include <unistd.h>

namespace {

// Weighs about a tenth of a thread of the default priority.
constexpr int kNiceness = 10;

} // namespace

void YieldToWindow() {
    // On Linux a thread has a priority of its own, named by its thread id.
    // Failing is harmless: the work then only competes as an equal.
    (void)::setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()), kNiceness);
}
