// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Texts that `orvanta-db update` puts into the data folder's db/ folder. They
// live as files in the repository's db/ folder and are built into the tool.

namespace orvanta::dbtool {

extern const char* const DbReadmeText;      // db/README.txt
extern const char* const DbAttributionText; // db/ATTRIBUTION.txt

} // namespace orvanta::dbtool
