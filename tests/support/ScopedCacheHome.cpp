#include "ScopedCacheHome.h"

#include <cstdlib>

namespace orvanta::test {

ScopedCacheHome::ScopedCacheHome() {
    if (const char* value = std::getenv("XDG_CACHE_HOME")) {
        previous_ = value;
    }
    ::setenv("XDG_CACHE_HOME", folder_.path().c_str(), 1);
}

ScopedCacheHome::~ScopedCacheHome() {
    if (previous_) {
        ::setenv("XDG_CACHE_HOME", previous_->c_str(), 1);
    } else {
        ::unsetenv("XDG_CACHE_HOME");
    }
}

} // namespace orvanta::test
