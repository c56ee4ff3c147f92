// SPDX-License-Identifier: GPL-3.0-or-later
#include "rdap/Settings.h"

#include <cstdlib>

namespace orvanta::rdap {
namespace {

std::string Variable(const char* name) {
    const char* value = std::getenv(name);
    return value == nullptr ? std::string() : std::string(value);
}

} // namespace

Settings Settings::FromEnvironment() {
    Settings settings;
    if (std::string base = Variable("ORVANTA_RDAP_BOOTSTRAP"); !base.empty()) {
        if (base.back() != '/') {
            base += '/';
        }
        settings.bootstrapBase = std::move(base);
    }
    // Relative values are to be ignored, as the XDG base directory rules say.
    std::filesystem::path cache = Variable("XDG_CACHE_HOME");
    if (!cache.is_absolute()) {
        const std::filesystem::path home = Variable("HOME");
        cache = home.is_absolute() ? home / ".cache" : std::filesystem::path();
    }
    if (!cache.empty()) {
        settings.cacheDir = cache / "orvanta" / "rdap";
    }
    return settings;
}

} // namespace orvanta::rdap
