// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Makes an imported range set fit the legacy format, whose 3-byte tree values
// must reach past the tree and across the whole record area. When the set is
// too large it gives up what matters least, one step at a time, in this order,
// and stops as soon as the set fits:
//   1. region names replaced by their ISO 3166-2 subdivision codes, the short
//      form legacy city files stored (where iso-codes knows the name);
//   2. postal codes dropped;
//   3. region names that have no subdivision code dropped;
//   4. the longest city names shortened, to the greatest length that fits.
// After them, with WriteOptions::fit, records too long for the reader's
// 50-byte window lose postal code and region bytes first, so that the writer
// (which cuts the longest text) shortens a city name only when the name alone
// is too long for the window.
// Each step reports how many distinct records it changed and the size of the
// record area after it; a step that changes nothing is still listed, with 0.

#include "geoipwriter/CityDatabaseWriter.h"
#include "geoipwriter/WriteOptions.h"
#include "geoipwriter/WriteSummary.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace orvanta::mmdbimport {

class Progress;
class RegionCodes;
struct ImportedDatabase;

struct FitStep {
    std::string name;
    std::size_t recordsChanged = 0; // distinct records the step altered
    std::size_t cityLength = 0;     // step 4 only: the length city names were cut to
    std::uint64_t recordBytes = 0;  // size of the record area after the step
};

struct FitReport {
    std::size_t windowCuts = 0;  // records whose postal code or region was cut for the window
    geoip::WriteSummary initial; // measured before any step
    std::vector<FitStep> steps;  // those applied, in order
    geoip::WriteSummary final;   // measured after the last step
    bool fits = false;
};

class CityDatabaseFitter {
public:
    // `regions` may be null: step 1 then changes nothing, and step 3 drops
    // every region. `largestAllowed` is the format's limit on a tree value.
    CityDatabaseFitter(geoip::WriteOptions options, const RegionCodes* regions, Progress& progress,
                       std::uint64_t largestAllowed = geoip::MaxThreeByteValue);

    bool Fits(const geoip::WriteSummary& summary) const;

    // Measures only; changes nothing.
    FitReport Check(const ImportedDatabase& database) const;

    // Applies the steps until the set fits (report.fits) or none is left.
    FitReport Fit(ImportedDatabase& database) const;

    // Cuts postal codes, then regions, of records longer than the window, as
    // far as that brings them into it; returns how many records it changed.
    std::size_t ShortenForWindow(ImportedDatabase& database) const;

    // The record area the writer would lay out for the set, without its tree.
    std::uint64_t RecordAreaSize(const geoip::CityRangeSet& set) const;

private:
    // Merging ranges never adds tree nodes, so the node count measured before
    // the steps bounds the largest value from above without building a tree.
    bool FitsWithin(std::size_t treeNodes, std::uint64_t recordBytes) const;
    FitStep Step(ImportedDatabase& database, const std::string& name,
                 const std::function<bool(std::size_t, geoip::CityRangeSet&)>& change) const;
    FitStep ShortenCities(ImportedDatabase& database, std::size_t treeNodes) const;
    void ApplySteps(ImportedDatabase& database, FitReport& report) const;

    geoip::WriteOptions options_;
    const RegionCodes* regions_;
    Progress& progress_;
    std::uint64_t largestAllowed_;
};

} // namespace orvanta::mmdbimport
