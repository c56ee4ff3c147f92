// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Points XDG_CACHE_HOME at a fresh temporary folder for the life of the
// object, so that what the program keeps in the user's cache folder (the
// map's browser profile and tile cache) never lands in the real home of
// whoever runs the tests; XDG_CONFIG_HOME likewise, at a folder inside it,
// so a test's settings (private mode) start from the defaults and never
// reach another test binary. Make it before the application object.

#include "TempFolder.h"

#include <optional>
#include <string>

namespace orvanta::test {

class ScopedCacheHome {
public:
    ScopedCacheHome();
    ~ScopedCacheHome();
    ScopedCacheHome(const ScopedCacheHome&) = delete;
    ScopedCacheHome& operator=(const ScopedCacheHome&) = delete;

    const std::filesystem::path& path() const { return folder_.path(); }

private:
    TempFolder folder_;
    std::optional<std::string> previous_;
    std::optional<std::string> previousConfig_;
};

} // namespace orvanta::test
