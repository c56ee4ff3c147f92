#pragma once
// How a city database is to be written.

namespace orvanta::geoip {

struct WriteOptions {
    int edition = 2;  // 2 or 6, the two city editions
    bool fit = false; // shorten texts of records too long for the 50-byte window
};

} // namespace orvanta::geoip
