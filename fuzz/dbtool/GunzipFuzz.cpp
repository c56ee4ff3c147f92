// SPDX-License-Identifier: GPL-3.0-or-later
// Arbitrary bytes as a downloaded .gz, as given and behind a gzip header so
// that the deflate data itself is varied: unpacking either succeeds within
// its cap or throws GunzipError; nothing else may happen.

#include "Gunzip.h"

#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const std::string header("\x1f\x8b\x08\x00\x00\x00\x00\x00\x00\x03", 10);
    for (const std::string& input : {bytes, header + bytes}) {
        std::uint64_t total = 0;
        try {
            orvanta::dbtool::Gunzip(input, 1 << 20,
                                    [&total](const char*, std::size_t n) { total += n; });
        } catch (const orvanta::dbtool::GunzipError&) {
        }
        if (total > (1 << 20) + (1 << 18)) {
            __builtin_trap();
        }
    }
    return 0;
}
