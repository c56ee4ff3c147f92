// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Writes an organisation database (edition 9 for IPv4, 21 for IPv6) from
// disjoint ranges of record texts, through the writer every edition shares;
// each text is stored once, NUL-terminated, after the tree.

#include "geoipwriter/AsnRange.h"
#include "geoipwriter/WriteSummary.h"

#include <string>

namespace orvanta::geoip {

// distinctRecords counts the texts stored, recordBytes their bytes. Throws
// WriteError, leaving `path` untouched, for an edition that is not an
// organisation edition, overlapping ranges, a text the reader's window
// cannot hold, values beyond 3 bytes and failed writes.
WriteSummary WriteAsnDatabase(const std::string& path, const AsnRangeSet& set, int edition);

} // namespace orvanta::geoip
