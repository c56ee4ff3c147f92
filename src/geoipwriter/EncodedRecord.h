// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One record as the bytes the file stores, from a record encoder (one per
// record kind: city, text), for the tree database writer.

#include <string>

namespace orvanta::geoip {

struct EncodedRecord {
    std::string bytes;
    bool overlong = false;  // longer than the record window before shortening
    bool shortened = false; // texts were cut to fit (only when asked to)
};

} // namespace orvanta::geoip
