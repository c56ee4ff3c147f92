// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The one-byte answer of TGeoIP::LookupCity; callers test it against lrFound.

#include <cstdint>

namespace orvanta::geoip {

enum TLookupResult : std::uint8_t {
    lrFound = 0,          // a record was decoded
    lrNotFound = 1,       // the tree walk ended at the segment boundary
    lrInvalidAddress = 2, // the text is not a usable address
    lrNotCityEdition = 3, // the file is not of edition 2 or 6
};

// The name as written above, e.g. "lrFound"; "lrUnknown" for other values.
const char* LookupResultName(TLookupResult result);

} // namespace orvanta::geoip
