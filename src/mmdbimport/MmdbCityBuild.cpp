// SPDX-License-Identifier: GPL-3.0-or-later
#include "mmdbimport/MmdbCityBuild.h"

#include "geoipwriter/CityDatabaseWriter.h"
#include "mmdbimport/CityDatabaseFitter.h"
#include "mmdbimport/ImportError.h"
#include "mmdbimport/MmdbCityImporter.h"
#include "mmdbimport/Progress.h"
#include "mmdbimport/RegionCodes.h"

#include <memory>
#include <ostream>

namespace orvanta::mmdbimport {
namespace {

std::string Plural(std::size_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

void PrintSource(std::ostream& out, const ImportStats& stats) {
    out << "source: " << (stats.databaseType.empty() ? "(no type)" : stats.databaseType)
        << ", IP version " << stats.ipVersion << ", " << stats.sourceNodes << " tree nodes ("
        << stats.nodesVisited << (stats.addressBits == 128 ? " for IPv6)\n" : " for IPv4)\n")
        << "record shape: " << ShapeName(stats.shape) << '\n'
        << "ranges read: " << stats.sourceRanges << '\n'
        << "source records: " << stats.sourceRecords << '\n'
        << "records without a country code: " << stats.withoutCountry << '\n'
        << "codes not in the table:";
    if (stats.unknownCountries.empty())
        out << " none";
    bool first = true;
    for (const auto& [code, records] : stats.unknownCountries) {
        out << (first ? " " : ", ") << code << " (" << Plural(records, "record", "records") << ")";
        first = false;
    }
    out << '\n';
}

void PrintFit(std::ostream& out, const FitReport& report) {
    if (report.steps.empty())
        out << "fit steps: none needed\n";
    else
        out << "fit steps:\n";
    int number = 1;
    for (const FitStep& step : report.steps) {
        out << "  " << number++ << ". " << step.name;
        if (step.name == "longest city names shortened")
            out << " to " << step.cityLength << " bytes";
        out << ": " << Plural(step.recordsChanged, "record", "records") << " changed, "
            << step.recordBytes << " record bytes after\n";
    }
    out << "records with postal code or region cut for the 50-byte window: " << report.windowCuts
        << '\n';
}

void PrintResult(std::ostream& out, const geoip::WriteSummary& summary) {
    out << "blocks: " << summary.blocks << '\n'
        << "tree nodes: " << summary.treeNodes << '\n'
        << "distinct records: " << summary.distinctRecords << '\n'
        << "record bytes: " << summary.recordBytes << '\n'
        << "largest tree value: " << summary.largestValue << " of " << geoip::MaxThreeByteValue
        << '\n'
        << "shortened records: " << summary.shortenedRecords << '\n'
        << "file size: " << summary.fileSize << " bytes\n";
}

std::string OverText(const geoip::WriteSummary& summary) {
    return std::to_string(summary.treeNodes) + " tree nodes and " +
           std::to_string(summary.recordBytes) + " record bytes give a largest tree value of " +
           std::to_string(summary.largestValue) + ", " +
           std::to_string(summary.largestValue - geoip::MaxThreeByteValue) +
           " over the format's limit of " + std::to_string(geoip::MaxThreeByteValue);
}

} // namespace

void BuildCityDatabaseFromMmdb(const MmdbBuildRequest& request, Progress& progress,
                               std::ostream& out, std::ostream& err) {
    ImportedDatabase database =
        MmdbCityImporter({request.options.edition}, progress).Import(request.source);
    PrintSource(out, database.stats);

    std::unique_ptr<RegionCodes> regions;
    if (request.options.fit) {
        try {
            regions = std::make_unique<RegionCodes>(RegionCodes::FromFile(request.regionCodesPath));
        } catch (const ImportError& error) {
            err << "orvanta-db: note: " << error.what()
                << "; region names cannot be replaced by codes\n";
        }
    }
    progress.Start("building", request.options.fit ? 4 : 0);
    const CityDatabaseFitter fitter(request.options, regions.get(), progress);
    const FitReport report = request.options.fit ? fitter.Fit(database) : fitter.Check(database);
    progress.Finish();
    if (!report.fits) {
        if (request.options.fit)
            throw ImportError("The database does not fit the format even after every fit step: " +
                              OverText(report.final) + "; nothing was written");
        throw ImportError("The database does not fit the format: " + OverText(report.initial) +
                          "; nothing was written (--fit gives up detail until it fits)");
    }
    if (request.options.fit)
        PrintFit(out, report);

    progress.Start("writing", 0);
    const geoip::WriteSummary summary =
        geoip::WriteCityDatabase(request.output, database.set, request.options);
    progress.Finish();
    PrintResult(out, summary);
}

} // namespace orvanta::mmdbimport
