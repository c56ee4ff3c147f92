// SPDX-License-Identifier: GPL-3.0-or-later
// Any bytes, whole or cut anywhere, must scan without reading past the end;
// a block found must be one that is really there. Inputs starting with 'B'
// get a valid block spliced in and are then cut short by up to a block, so
// whole, damaged and truncated blocks all come up.
#include "validation/VersionBlock.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string bytes(reinterpret_cast<const char*>(data), size);
    if (size >= 3 && data[0] == 'B') {
        std::string rest = bytes.substr(3);
        const std::size_t at = data[1] % (rest.size() + 1);
        rest.insert(at, VersionBlockBytes(0x00010001u * data[1], 0x00670000u + data[2]));
        rest.resize(rest.size() - std::min<std::size_t>(rest.size(), data[2] % 29));
        bytes = rest;
    }
    // An exact-size heap copy, so the sanitizer sees any over-read.
    const std::string exact(bytes);
    const std::optional<FileVersionWords> found = FindVersionBlock(exact);
    if (found && exact.find(VersionBlockBytes(found->ms, found->ls)) == std::string::npos)
        std::abort();
    return 0;
}
