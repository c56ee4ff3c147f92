// SPDX-License-Identifier: GPL-3.0-or-later
// Whatever is pasted into the domain field settles to a text that holds
// none of the removed pieces, that a second clean-up leaves alone, and
// whose web whois address keeps its fixed frame.

#include "net/DomainCleanup.h"
#include "net/WebWhoisAddress.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

bool HasPattern(const std::string& text) {
    std::string lower = text;
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return lower.find("www.") != std::string::npos || lower.find('/') != std::string::npos;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::string settled = orvanta::net::CleanDomain(input);
    if (settled.size() > input.size() || HasPattern(settled) ||
        orvanta::net::CleanDomain(settled) != settled) {
        std::abort();
    }
    const std::string address = orvanta::net::WebWhoisSearchAddress(settled);
    const std::string encoded = orvanta::net::PercentEncodeQueryValue(settled);
    if (encoded.find_first_of("&#? ") != std::string::npos ||
        address.find('#') != std::string::npos) {
        std::abort();
    }
    return 0;
}
