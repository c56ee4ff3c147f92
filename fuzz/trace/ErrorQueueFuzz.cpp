// SPDX-License-Identifier: GPL-3.0-or-later
// Error-queue messages of any shape: the first byte picks the family, the
// second how much of the rest is the message's name; the remainder is its
// ancillary data, at an odd offset so that nothing relies on alignment.
#include "trace/ErrorQueue.h"

#include <cstddef>
#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2)
        return 0;
    const int family = (data[0] & 1) ? AF_INET6 : AF_INET;
    std::size_t nameLength = data[1];
    data += 2;
    size -= 2;
    if (nameLength > size)
        nameLength = size;
    std::vector<std::uint8_t> control(size - nameLength + 1);
    for (std::size_t i = 0; i < size - nameLength; ++i)
        control[i + 1] = data[nameLength + i];
    const auto report = orvanta::trace::DecodeErrorQueueMessage(
        family, data, nameLength, control.data() + 1, size - nameLength);
    if (report && report->offender.empty())
        __builtin_trap();
    return 0;
}
