// SPDX-License-Identifier: GPL-3.0-or-later
// Arbitrary bytes as the iso-codes subdivision list: parsing must end in a
// list or an ImportError, and lookups in whatever was read must stay sound.

#include "mmdbimport/ImportError.h"
#include "mmdbimport/RegionCodes.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    try {
        const auto codes = orvanta::mmdbimport::RegionCodes::FromJson(text);
        (void)codes.CodeFor("US", "California");
        (void)codes.CodeFor(text.substr(0, 2), text);
        (void)codes.IsCode("US", "CA");
    } catch (const orvanta::mmdbimport::ImportError&) {
    }
    return 0;
}
