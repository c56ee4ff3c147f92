// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The whole of "build a legacy city database from an MMDB file": import, fit
// check (and the --fit steps when asked), write, and the summary lines. Used
// by the orvanta-db tool; nothing is written when any stage fails.

#include "geoipwriter/WriteOptions.h"

#include <iosfwd>
#include <string>

namespace orvanta::mmdbimport {

class Progress;

struct MmdbBuildRequest {
    std::string source;
    std::string output;
    geoip::WriteOptions options; // options.fit also enables the fit steps
    std::string regionCodesPath; // iso-codes subdivision list for the fit steps
};

// Prints the summary to `out` and notes to `err`; throws ImportError or
// geoip::WriteError with the reason when no file can be written.
void BuildCityDatabaseFromMmdb(const MmdbBuildRequest& request, Progress& progress,
                               std::ostream& out, std::ostream& err);

} // namespace orvanta::mmdbimport
