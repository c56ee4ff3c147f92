// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The bootstrap files, fetched from the bootstrap folder and kept in the
// cache folder: a kept file is used without asking while it is fresh, and
// still used, stale, when a new one cannot be had (no network, a failing
// server, a damaged answer). Files are written to a temporary name and
// renamed, so concurrent lookups never read half a file. In private mode
// nothing is fetched: a kept file is used whatever its age.

#include "rdap/Bootstrap.h"
#include "rdap/Settings.h"

#include <atomic>
#include <optional>
#include <string>

namespace orvanta::rdap {

class BootstrapCache {
public:
    explicit BootstrapCache(Settings settings) : settings_(std::move(settings)) {}

    // Throws RdapError when no usable file can be had, http::HttpError of
    // kind Cancelled once `cancel` is set.
    Bootstrap Load(Bootstrap::Kind kind, const std::atomic<bool>* cancel = nullptr) const;

    static const char* FileName(Bootstrap::Kind kind);

private:
    struct Kept {
        std::string body;
        bool fresh = false;
    };
    std::optional<Kept> ReadKept(const std::string& name) const;
    void Keep(const std::string& name, const std::string& body, std::chrono::seconds life) const;

    Settings settings_;
};

} // namespace orvanta::rdap
