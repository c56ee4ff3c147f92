// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Keeps an imported range set minimal: identical records (same bytes and the
// same source country) stored once, records no range uses dropped, and
// adjacent ranges answered by the same record merged into one.

namespace orvanta::mmdbimport {

struct ImportedDatabase;

class RangeSetCompactor {
public:
    // Ranges must be ascending and disjoint, as the tree walk gives them.
    static void Compact(ImportedDatabase& database);
};

} // namespace orvanta::mmdbimport
