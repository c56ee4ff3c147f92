// SPDX-License-Identifier: GPL-3.0-or-later
#include "AsnBuild.h"

#include "BuildCommand.h"
#include "CommandLine.h"
#include "CsvAsnSource.h"
#include "geoipwriter/AsnDatabaseWriter.h"
#include "mmdbimport/MmdbAsnImporter.h"
#include "mmdbimport/TerminalProgressBar.h"

#include <ostream>

namespace orvanta::dbtool {

int BuildAsnDatabase(const BuildOptions& options, std::ostream& out) {
    const bool ipv6 = options.edition == 21;
    geoip::AsnRangeSet set;
    std::size_t rangesRead = 0;
    std::size_t shortened = 0;
    if (options.source == SourceKind::Csv) {
        AsnCsvImport import = LoadAsnCsvFile(options.sourcePath, ipv6);
        rangesRead = import.rangesRead;
        shortened = import.shortened;
        set = std::move(import.set);
        set.ranges = geoip::ResolveOverlaps(std::move(set.ranges));
    } else {
        mmdbimport::TerminalProgressBar progress(stderr);
        mmdbimport::AsnImport import =
            mmdbimport::ImportAsnMmdb(options.sourcePath, ipv6, progress);
        rangesRead = import.sourceRanges;
        shortened = import.shortened;
        set = std::move(import.set);
    }
    const geoip::WriteSummary summary =
        geoip::WriteAsnDatabase(options.output, set, options.edition);
    out << "ranges read: " << rangesRead << '\n'
        << "ranges stored: " << summary.ranges << '\n'
        << "blocks: " << summary.blocks << '\n'
        << "tree nodes: " << summary.treeNodes << '\n'
        << "distinct texts: " << summary.distinctRecords << '\n'
        << "shortened texts: " << shortened << '\n'
        << "text bytes: " << summary.recordBytes << '\n'
        << "file size: " << summary.fileSize << " bytes\n";
    return ExitSuccess;
}

} // namespace orvanta::dbtool
