// SPDX-License-Identifier: GPL-3.0-or-later
// Any bytes a server sends must decode to valid UTF-8 without a line
// break other than '\n' and without a NUL.

#include "net/WhoisReplyText.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view reply(reinterpret_cast<const char*>(data), size);
    const std::string text = orvanta::net::WhoisReplyText(reply);
    if (!orvanta::net::IsValidUtf8(text) || text.find('\r') != std::string::npos ||
        text.find('\0') != std::string::npos) {
        std::abort();
    }
    return 0;
}
