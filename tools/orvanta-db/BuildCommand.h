// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// orvanta-db build: a city database from a source of ranges. The command
// line is parsed into BuildOptions; each source kind has a loader that
// returns the ranges, and the writer makes the file from them.

#include "geoipwriter/CityRange.h"

#include <iosfwd>
#include <string>
#include <vector>

namespace orvanta::dbtool {

extern const char* const BuildUsage;

enum class SourceKind { None, Csv, Mmdb };

struct BuildOptions {
    SourceKind source = SourceKind::None;
    std::string sourcePath;
    std::string output;
    int edition = 2;
    bool fit = false;
    bool help = false;
};

// Throws UsageError for unknown options, missing or repeated arguments.
BuildOptions ParseBuildOptions(const std::vector<std::string>& args);

int RunBuild(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace orvanta::dbtool
