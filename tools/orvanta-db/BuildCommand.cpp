// SPDX-License-Identifier: GPL-3.0-or-later
#include "BuildCommand.h"

#include "AsnBuild.h"
#include "CommandLine.h"
#include "CsvCitySource.h"
#include "geoip/Editions.h"
#include "geoipwriter/CityDatabaseWriter.h"
#include "mmdbimport/ImportError.h"
#include "mmdbimport/MmdbCityBuild.h"
#include "mmdbimport/RegionCodes.h"
#include "mmdbimport/TerminalProgressBar.h"

#include <ostream>

namespace orvanta::dbtool {

const char* const BuildUsage =
    "Usage: orvanta-db build --csv FILE -o OUT [--edition 2|6|30|31] [--fit]\n"
    "       orvanta-db build --mmdb FILE -o OUT [--edition 2|6|30|31] [--fit]\n"
    "       orvanta-db build --csv FILE -o OUT --edition 9|21\n"
    "       orvanta-db build --mmdb FILE -o OUT --edition 9|21\n"
    "Builds a city database OUT from the ranges of a CSV file with the columns\n"
    "ip_range_start, ip_range_end, country_code, state1, state2, city, postcode,\n"
    "latitude, longitude (further columns ignored; header line optional).\n"
    "  --csv FILE       the CSV source; rows of the other address family are\n"
    "                   skipped and counted\n"
    "  --mmdb FILE      an MMDB city database (flat DB-IP or nested city records);\n"
    "                   for editions 2 and 6 its IPv4 space (::/96 of an IPv6\n"
    "                   database), for 30 and 31 its IPv6 space without the IPv4\n"
    "                   parts (::/96, ::ffff:0:0/96 and the aliases of the IPv4\n"
    "                   space at 2002::/16 and 2001::/32)\n"
    "  -o, --output OUT the database to write (replaced only when the build succeeds)\n"
    "  --edition N      the city edition (default 2): 2 or 6 for IPv4, 30 or 31 for\n"
    "                   IPv6; US records of 2 and 30 carry metro and area codes\n"
    "  --fit            shorten texts of records too long for the format; for\n"
    "                   --mmdb also, while the database is too large, in this order:\n"
    "                   region names to ISO 3166-2 subdivision codes, postal codes\n"
    "                   dropped, region names without a code dropped, the longest\n"
    "                   city names shortened\n"
    "Editions 9 (IPv4) and 21 (IPv6) are organisation databases, built from a CSV\n"
    "file with the columns ip_range_start, ip_range_end, autonomous_system_number,\n"
    "autonomous_system_organization (rows of the edition's address family only;\n"
    "where ranges overlap the narrower one wins) or from an MMDB ASN database.\n";

namespace {

void SetSource(BuildOptions& options, SourceKind kind, const std::string& path) {
    if (options.source != SourceKind::None) {
        throw UsageError("give one source: --csv or --mmdb");
    }
    options.source = kind;
    options.sourcePath = path;
}

int ParseEdition(const std::string& text) {
    for (int edition : {2, 6, 9, 21, 30, 31}) {
        if (text == std::to_string(edition)) {
            return edition;
        }
    }
    throw UsageError("--edition must be 2, 6, 9, 21, 30 or 31, not \"" + text + "\"");
}

int AddressBits(int edition) {
    return geoip::FindEdition(static_cast<std::uint8_t>(edition))->treeDepth;
}

void PrintSummary(std::ostream& out, const CsvImport& import, const geoip::WriteSummary& summary,
                  int addressBits) {
    out << "ranges read: " << import.rangesRead << '\n';
    if (addressBits == 128) {
        out << "ipv4 rows skipped: " << import.ipv4Skipped << '\n';
    } else {
        out << "ipv6 rows skipped: " << import.ipv6Skipped << '\n';
    }
    out << "blocks: " << summary.blocks << '\n'
        << "tree nodes: " << summary.treeNodes << '\n'
        << "distinct records: " << summary.distinctRecords << '\n'
        << "shortened records: " << summary.shortenedRecords << '\n'
        << "file size: " << summary.fileSize << " bytes\n"
        << "codes not in the table:";
    if (import.unknownCodes.empty()) {
        out << " none";
    }
    bool first = true;
    for (const auto& [code, rows] : import.unknownCodes) {
        out << (first ? " " : ", ") << (code.empty() ? "\"\"" : code) << " (" << rows
            << (rows == 1 ? " row)" : " rows)");
        first = false;
    }
    out << '\n';
}

int BuildFromCsv(const BuildOptions& options, std::ostream& out) {
    const int bits = AddressBits(options.edition);
    CsvImport import = LoadCityCsvFile(options.sourcePath, bits);
    geoip::WriteSummary summary =
        geoip::WriteCityDatabase(options.output, import.set, {options.edition, options.fit});
    PrintSummary(out, import, summary, bits);
    return ExitSuccess;
}

int BuildFromMmdb(const BuildOptions& options, std::ostream& out, std::ostream& err) {
    mmdbimport::TerminalProgressBar progress(stderr);
    mmdbimport::BuildCityDatabaseFromMmdb({options.sourcePath,
                                           options.output,
                                           {options.edition, options.fit},
                                           mmdbimport::RegionCodes::DefaultPath},
                                          progress, out, err);
    return ExitSuccess;
}

} // namespace

BuildOptions ParseBuildOptions(const std::vector<std::string>& args) {
    BuildOptions options;
    ArgumentWalker walker(args);
    std::string value;
    bool haveOutput = false;
    bool haveEdition = false;
    while (!walker.Done()) {
        if (walker.TakeFlag("--help")) {
            options.help = true;
            return options;
        }
        if (walker.TakeValue("--csv", value)) {
            SetSource(options, SourceKind::Csv, value);
        } else if (walker.TakeValue("--mmdb", value)) {
            SetSource(options, SourceKind::Mmdb, value);
        } else if (walker.TakeValue("-o", value) || walker.TakeValue("--output", value)) {
            if (haveOutput) {
                throw UsageError("give one output file");
            }
            options.output = value;
            haveOutput = true;
        } else if (walker.TakeValue("--edition", value)) {
            if (haveEdition) {
                throw UsageError("give one --edition");
            }
            options.edition = ParseEdition(value);
            haveEdition = true;
        } else if (walker.TakeFlag("--fit")) {
            options.fit = true;
        } else if (IsOption(walker.Current())) {
            throw UsageError("unknown option " + walker.Current());
        } else {
            throw UsageError("unexpected argument \"" + walker.Current() + "\"");
        }
    }
    if (options.source == SourceKind::None) {
        throw UsageError("build needs a source: --csv FILE or --mmdb FILE");
    }
    if (!haveOutput || options.output.empty()) {
        throw UsageError("build needs an output file: -o OUT");
    }
    if (options.fit && IsAsnEdition(options.edition)) {
        throw UsageError("--fit applies to the city editions only");
    }
    return options;
}

int RunBuild(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    BuildOptions options = ParseBuildOptions(args);
    if (options.help) {
        out << BuildUsage;
        return ExitSuccess;
    }
    try {
        if (IsAsnEdition(options.edition)) {
            return BuildAsnDatabase(options, out);
        }
        switch (options.source) {
        case SourceKind::Csv:
            return BuildFromCsv(options, out);
        case SourceKind::Mmdb:
            return BuildFromMmdb(options, out, err);
        case SourceKind::None:
            break;
        }
    } catch (const SourceError& error) {
        err << "orvanta-db: " << error.what() << '\n';
        return ExitFailure;
    } catch (const geoip::WriteError& error) {
        err << "orvanta-db: " << error.what() << '\n';
        return ExitFailure;
    } catch (const mmdbimport::ImportError& error) {
        err << "orvanta-db: " << error.what() << '\n';
        return ExitFailure;
    }
    return ExitUsage;
}

} // namespace orvanta::dbtool
