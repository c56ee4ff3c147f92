// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// How a city database is to be written.

namespace orvanta::geoip {

struct WriteOptions {
    int edition = 2;  // a city edition: 2 or 6 (IPv4), 30 or 31 (IPv6)
    bool fit = false; // shorten texts of records too long for the 50-byte window
};

} // namespace orvanta::geoip
