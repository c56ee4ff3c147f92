// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The version block the build embeds in the program, and the scanner that
// finds it in a file's bytes. 28 bytes: a 16-byte marker, then three
// little-endian 32-bit words: FileVersionMS (major << 16 | minor),
// FileVersionLS (patch << 16 | build) and a check word, so that a stray copy
// of the marker (the scanner's own, say) is never taken for a block.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

inline constexpr std::size_t kVersionBlockSize = 28;
inline constexpr std::size_t kVersionMarkerSize = 16;
inline constexpr std::array<char, kVersionMarkerSize> kVersionMarker = {
    '\x7f', 'O', 'R', 'V', 'A', 'N', 'T', 'A', '-', 'V', 'E', 'R', 'S', 'I', 'O', 'N'};

struct FileVersionWords {
    std::uint32_t ms = 0;
    std::uint32_t ls = 0;
};

constexpr std::uint32_t VersionCheckWord(std::uint32_t ms, std::uint32_t ls) {
    return ~(ms ^ ls ^ 0x4F52564Eu);
}

constexpr std::array<unsigned char, kVersionBlockSize> MakeVersionBlock(std::uint32_t ms,
                                                                        std::uint32_t ls) {
    std::array<unsigned char, kVersionBlockSize> block{};
    for (std::size_t i = 0; i < kVersionMarkerSize; ++i)
        block[i] = static_cast<unsigned char>(kVersionMarker[i]);
    const std::uint32_t words[3] = {ms, ls, VersionCheckWord(ms, ls)};
    for (std::size_t w = 0; w < 3; ++w)
        for (std::size_t b = 0; b < 4; ++b)
            block[kVersionMarkerSize + 4 * w + b] =
                static_cast<unsigned char>((words[w] >> (8 * b)) & 0xFF);
    return block;
}

// The block's bytes, for writing test files.
std::string VersionBlockBytes(std::uint32_t ms, std::uint32_t ls);

// The first whole, valid block in `bytes`; nothing when there is none (a
// block cut off at the end of `bytes` is none).
std::optional<FileVersionWords> FindVersionBlock(std::string_view bytes);
