// SPDX-License-Identifier: GPL-3.0-or-later
#include "mmdbimport/CityDatabaseFitter.h"

#include "geoipwriter/RecordEncoder.h"
#include "mmdbimport/ImportedDatabase.h"
#include "mmdbimport/Progress.h"
#include "mmdbimport/RangeSetCompactor.h"
#include "mmdbimport/RegionCodes.h"

#include <algorithm>
#include <unordered_set>

namespace orvanta::mmdbimport {

CityDatabaseFitter::CityDatabaseFitter(geoip::WriteOptions options, const RegionCodes* regions,
                                       Progress& progress, std::uint64_t largestAllowed)
    : options_(options), regions_(regions), progress_(progress), largestAllowed_(largestAllowed) {}

bool CityDatabaseFitter::Fits(const geoip::WriteSummary& summary) const {
    return summary.largestValue <= largestAllowed_;
}

bool CityDatabaseFitter::FitsWithin(std::size_t treeNodes, std::uint64_t recordBytes) const {
    return treeNodes + recordBytes <= largestAllowed_;
}

std::uint64_t CityDatabaseFitter::RecordAreaSize(const geoip::CityRangeSet& set) const {
    std::vector<bool> used(set.records.size());
    for (const auto& range : set.ranges)
        used[range.recordIndex] = true;
    std::unordered_set<std::string> stored;
    stored.reserve(set.records.size());
    std::uint64_t bytes = 1; // the writer keeps offset 0 free
    for (std::size_t i = 0; i < set.records.size(); ++i) {
        if (!used[i])
            continue;
        auto encoded = geoip::EncodeRecord(set.records[i], options_.edition, options_.fit);
        const std::size_t size = encoded.bytes.size();
        if (stored.insert(std::move(encoded.bytes)).second)
            bytes += size;
    }
    return bytes;
}

std::size_t CityDatabaseFitter::ShortenForWindow(ImportedDatabase& database) const {
    std::size_t changed = 0;
    for (auto& record : database.set.records) {
        const std::size_t size = geoip::EncodeRecord(record, options_.edition, false).bytes.size();
        if (size <= geoip::RecordWindowSize)
            continue;
        std::size_t excess = size - geoip::RecordWindowSize;
        for (std::string* text : {&record.postalCode, &record.region}) {
            const std::size_t cut = std::min(excess, text->size());
            text->resize(text->size() - cut);
            excess -= cut;
        }
        ++changed;
    }
    if (changed != 0)
        RangeSetCompactor::Compact(database);
    return changed;
}

FitReport CityDatabaseFitter::Check(const ImportedDatabase& database) const {
    FitReport report;
    report.initial = geoip::MeasureCityDatabase(database.set, options_);
    report.final = report.initial;
    report.fits = Fits(report.initial);
    return report;
}

FitStep CityDatabaseFitter::Step(
    ImportedDatabase& database, const std::string& name,
    const std::function<bool(std::size_t, geoip::CityRangeSet&)>& change) const {
    FitStep step;
    step.name = name;
    for (std::size_t i = 0; i < database.set.records.size(); ++i)
        if (change(i, database.set))
            ++step.recordsChanged;
    if (step.recordsChanged != 0)
        RangeSetCompactor::Compact(database);
    step.recordBytes = RecordAreaSize(database.set);
    return step;
}

FitStep CityDatabaseFitter::ShortenCities(ImportedDatabase& database, std::size_t treeNodes) const {
    std::size_t longest = 0;
    for (const auto& record : database.set.records)
        longest = std::max(longest, record.city.size());

    auto cut = [](const ImportedDatabase& from, std::size_t length, std::size_t* changed) {
        ImportedDatabase copy;
        copy.set = from.set;
        copy.countryCodes = from.countryCodes;
        for (auto& record : copy.set.records)
            if (record.city.size() > length) {
                record.city.resize(length);
                if (changed != nullptr)
                    ++*changed;
            }
        RangeSetCompactor::Compact(copy);
        return copy;
    };

    // Shorter names never need more room, so the greatest length that fits is
    // found by bisection: `fitting` fits (or is 0), `over` does not.
    std::size_t fitting = 0;
    std::size_t over = longest;
    while (over - fitting > 1) {
        const std::size_t middle = fitting + (over - fitting) / 2;
        if (FitsWithin(treeNodes, RecordAreaSize(cut(database, middle, nullptr).set)))
            fitting = middle;
        else
            over = middle;
    }
    FitStep step;
    step.name = "longest city names shortened";
    step.cityLength = fitting;
    database = cut(database, fitting, &step.recordsChanged);
    step.recordBytes = RecordAreaSize(database.set);
    return step;
}

FitReport CityDatabaseFitter::Fit(ImportedDatabase& database) const {
    FitReport report = Check(database);
    if (!report.fits)
        ApplySteps(database, report);
    // Last, so that the steps see region names whole; a record cut to the
    // window is 50 bytes whichever text loses, so the measure stands.
    report.windowCuts = options_.fit ? ShortenForWindow(database) : 0;
    if (!report.steps.empty() || report.windowCuts != 0) {
        report.final = geoip::MeasureCityDatabase(database.set, options_);
        report.fits = Fits(report.final);
    }
    return report;
}

void CityDatabaseFitter::ApplySteps(ImportedDatabase& database, FitReport& report) const {
    const std::size_t treeNodes = report.initial.treeNodes;
    auto done = [&](FitStep step) {
        const bool fits = FitsWithin(treeNodes, step.recordBytes);
        report.steps.push_back(std::move(step));
        progress_.Advance(report.steps.size());
        return fits;
    };
    const RegionCodes* regions = regions_;
    const auto& countries = database.countryCodes;
    bool fits = done(Step(database, "region names replaced by subdivision codes",
                          [&](std::size_t i, geoip::CityRangeSet& set) {
                              auto& region = set.records[i].region;
                              if (regions == nullptr || region.empty())
                                  return false;
                              const auto code = regions->CodeFor(countries[i], region);
                              if (!code || *code == region)
                                  return false;
                              region = *code;
                              return true;
                          }));
    if (!fits)
        fits = done(Step(database, "postal codes dropped", [](std::size_t i, auto& set) {
            auto& postal = set.records[i].postalCode;
            if (postal.empty())
                return false;
            postal.clear();
            return true;
        }));
    if (!fits)
        fits = done(Step(database, "region names without a subdivision code dropped",
                         [&](std::size_t i, geoip::CityRangeSet& set) {
                             auto& region = set.records[i].region;
                             if (region.empty() ||
                                 (regions != nullptr && regions->IsCode(countries[i], region)))
                                 return false;
                             region.clear();
                             return true;
                         }));
    if (!fits)
        done(ShortenCities(database, treeNodes));
}

} // namespace orvanta::mmdbimport
