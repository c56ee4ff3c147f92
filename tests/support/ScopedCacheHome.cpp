// SPDX-License-Identifier: GPL-3.0-or-later
#include "ScopedCacheHome.h"

#include <cstdlib>

namespace orvanta::test {
namespace {

std::optional<std::string> Replace(const char* name, const std::string& value) {
    std::optional<std::string> previous;
    if (const char* old = std::getenv(name)) {
        previous = old;
    }
    ::setenv(name, value.c_str(), 1);
    return previous;
}

void Restore(const char* name, const std::optional<std::string>& previous) {
    if (previous) {
        ::setenv(name, previous->c_str(), 1);
    } else {
        ::unsetenv(name);
    }
}

} // namespace

ScopedCacheHome::ScopedCacheHome() {
    previous_ = Replace("XDG_CACHE_HOME", folder_.path().string());
    previousConfig_ = Replace("XDG_CONFIG_HOME", (folder_.path() / "config").string());
}

ScopedCacheHome::~ScopedCacheHome() {
    Restore("XDG_CACHE_HOME", previous_);
    Restore("XDG_CONFIG_HOME", previousConfig_);
}

} // namespace orvanta::test
