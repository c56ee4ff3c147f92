// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Where registration-data lookups find their bootstrap files, where they
// keep them, and how long and how much they may take.

#include "http/HttpClient.h"

#include <chrono>
#include <filesystem>
#include <string>

namespace orvanta::rdap {

struct Settings {
    static constexpr const char* kIanaBase = "https://data.iana.org/rdap/";

    // The folder that holds dns.json, ipv4.json and ipv6.json; always ends
    // in "/".
    std::string bootstrapBase = kIanaBase;
    // Where fetched bootstrap files are kept; empty: nowhere.
    std::filesystem::path cacheDir;
    // A bootstrap file is reused without asking again for at most this long.
    std::chrono::seconds maxFreshness{24 * 60 * 60};
    http::Limits limits;

    // The defaults, with ORVANTA_RDAP_BOOTSTRAP in place of IANA's folder
    // and the cache in $XDG_CACHE_HOME/orvanta/rdap (else ~/.cache/...).
    static Settings FromEnvironment();
};

} // namespace orvanta::rdap
