// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Reads an MMDB city database (flat DB-IP shape or nested city shape) into
// the range set of the legacy city format: the tree is walked once, each
// distinct data record decoded once and converted (texts to ISO-8859-1,
// coordinates to 4 decimals, country codes to the table index), identical
// records stored once and adjacent ranges of the same record merged.

#include "mmdbimport/ImportedDatabase.h"

#include <string>

namespace orvanta::mmdbimport {

class Progress;

struct ImportOptions {
    int edition = 2; // the family to import, and whether the metro code becomes DmaCode
};

class MmdbCityImporter {
public:
    MmdbCityImporter(ImportOptions options, Progress& progress);

    // Throws ImportError naming the file and what is wrong.
    ImportedDatabase Import(const std::string& path) const;

private:
    ImportOptions options_;
    Progress& progress_;
};

} // namespace orvanta::mmdbimport
