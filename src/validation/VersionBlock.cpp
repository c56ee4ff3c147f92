// SPDX-License-Identifier: GPL-3.0-or-later
#include "validation/VersionBlock.h"

#include <algorithm>

namespace {
std::uint32_t Le32(const char* p) {
    const auto* u = reinterpret_cast<const unsigned char*>(p);
    return std::uint32_t(u[0]) | std::uint32_t(u[1]) << 8 | std::uint32_t(u[2]) << 16 |
           std::uint32_t(u[3]) << 24;
}
} // namespace

std::string VersionBlockBytes(std::uint32_t ms, std::uint32_t ls) {
    const auto block = MakeVersionBlock(ms, ls);
    return std::string(reinterpret_cast<const char*>(block.data()), block.size());
}

std::optional<FileVersionWords> FindVersionBlock(std::string_view bytes) {
    const char* const end = bytes.data() + bytes.size();
    for (const char* p = bytes.data();; ++p) {
        p = std::search(p, end, kVersionMarker.begin(), kVersionMarker.end());
        // Only a whole block counts: check the room before reading the words.
        if (end - p < static_cast<std::ptrdiff_t>(kVersionBlockSize))
            return std::nullopt;
        const std::uint32_t ms = Le32(p + kVersionMarkerSize);
        const std::uint32_t ls = Le32(p + kVersionMarkerSize + 4);
        if (Le32(p + kVersionMarkerSize + 8) == VersionCheckWord(ms, ls))
            return FileVersionWords{ms, ls};
    }
}
