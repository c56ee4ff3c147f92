// SPDX-License-Identifier: GPL-3.0-or-later
// Any bytes: the addresses found must not depend on how the text is cut
// into pieces, and each must read back from its own text as itself.
#include "extract/AddressTally.h"

#include <arpa/inet.h>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <vector>

namespace {

orvanta::extract::TallyVector<orvanta::extract::Tallied> Scan(std::string_view text,
                                                              std::size_t piece) {
    orvanta::extract::AddressTally tally;
    orvanta::extract::AddressScanner scanner([&](const auto& a) { tally.Add(a); });
    for (std::size_t at = 0; at < text.size(); at += piece)
        scanner.Feed(text.substr(at, piece));
    scanner.Finish();
    return tally.Entries();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const std::size_t piece = 1 + data[0] % 13;
    const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
    const auto whole = Scan(text, text.size() + 1);
    const auto split = Scan(text, piece);
    if (whole.size() != split.size())
        std::abort();
    for (std::size_t i = 0; i < whole.size(); ++i) {
        if (!(whole[i].address == split[i].address) || whole[i].count != split[i].count)
            std::abort();
        const auto& a = whole[i].address;
        std::uint8_t back[16] = {};
        if (inet_pton(a.v6 ? AF_INET6 : AF_INET, a.Text().c_str(), back) != 1 ||
            std::memcmp(back, a.bytes.data(), a.v6 ? 16 : 4) != 0)
            std::abort();
    }
    return 0;
}
