// SPDX-License-Identifier: GPL-3.0-or-later
// Arbitrary bytes as an address line, as record texts and as an organisation
// text: every tab-separated line the lookup writes is one line of fourteen
// fields in well-formed UTF-8, and the echoed address stays within its bound
// whatever came in.

#include "LookupFormatter.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

bool WellFormedUtf8(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const auto c = static_cast<unsigned char>(text[i]);
        std::size_t length = c < 0x80                 ? 1
                             : c >= 0xC2 && c <= 0xDF ? 2
                             : c >= 0xE0 && c <= 0xEF ? 3
                             : c >= 0xF0 && c <= 0xF4 ? 4
                                                      : 0;
        if (length == 0 || i + length > text.size()) {
            return false;
        }
        for (std::size_t k = 1; k < length; ++k) {
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) {
                return false;
            }
        }
        i += length;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace orvanta;
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    geoip::TGeoIPCity record;
    record.City = bytes;
    std::string line;
    dbtool::LookupFormatter(dbtool::LookupFormat::Tsv)
        .AppendLine(line, {bytes, geoip::lrFound, &record, static_cast<std::uint32_t>(size),
                           static_cast<int>(size % 34) - 1, std::string_view(bytes)});
    const std::size_t tab = line.find('\t');
    if (line.empty() || line.back() != '\n' || line.find('\n') != line.size() - 1 ||
        std::count(line.begin(), line.end(), '\t') != 14 || !WellFormedUtf8(line) ||
        tab == std::string::npos || tab > 4 * dbtool::EchoLimit) {
        __builtin_trap();
    }
    return 0;
}
