// SPDX-License-Identifier: GPL-3.0-or-later
#include "DatabaseUpdate.h"

#include "DataFolderTexts.h"
#include "Gunzip.h"
#include "MonthlyDownload.h"
#include "ScratchFile.h"
#include "UpdateFiles.h"
#include "UpdateProducts.h"
#include "geoipwriter/AsnDatabaseWriter.h"
#include "geoipwriter/WriteError.h"
#include "mmdbimport/ImportError.h"
#include "mmdbimport/MmdbAsnImporter.h"
#include "mmdbimport/MmdbCityBuild.h"
#include "mmdbimport/MmdbDatabase.h"
#include "mmdbimport/Progress.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <sstream>
#include <system_error>

namespace orvanta::dbtool {
namespace {

namespace fs = std::filesystem;
using update::AsnProduct;
using update::CityProduct;
using update::Product;
using update::StagedFile;

class Updater {
public:
    Updater(const UpdateRequest& request, const Product& product, mmdbimport::Progress& progress,
            std::ostream& out, std::ostream& err)
        : request_(request), product_(&product), progress_(progress), out_(out), err_(err),
          dir_(request.dir) {}

    void Run() {
        if (request_.dir.empty()) {
            throw UpdateError("No data folder: set HOME or XDG_DATA_HOME, or give --dir");
        }
        update::EnsureFolder(dir_ / "db");
        installed_ = update::InstalledSource(dir_, *product_);
        std::string bytes;
        if (!request_.fromFile.empty()) {
            sourceName_ = fs::path(request_.fromFile).filename().string();
            bytes = update::ReadWholeFile(request_.fromFile, request_.maxDownloadBytes);
        } else if (!Download(bytes)) {
            return;
        }
        std::optional<ScratchFile> mmdb;
        try {
            mmdb.emplace(dir_.string(), "download.mmdb");
        } catch (const std::runtime_error& error) {
            throw UpdateError(error.what());
        }
        Unpack(bytes, *mmdb);
        bytes = std::string();
        const std::uint64_t epoch = Check(mmdb->path());
        if (!request_.fromFile.empty() && IsInstalled(sourceName_, epoch)) {
            return;
        }
        Convert(mmdb->path(), epoch);
    }

private:
    bool IsInstalled(const std::string& name, std::optional<std::uint64_t> epoch) {
        if (request_.force || !installed_ || installed_->name != name ||
            (epoch && *epoch != installed_->buildEpoch)) {
            return false;
        }
        out_ << "orvanta-db: " << (dir_ / product_->database).string() << " is already made from "
             << name << "; nothing to do (--force rebuilds it)\n";
        return true;
    }

    // False when the installed database is already made from the file.
    bool Download(std::string& bytes) {
        std::optional<update::DownloadedFile> file = update::DownloadMonthly(
            request_, *product_, progress_,
            [this](const std::string& name) { return IsInstalled(name, std::nullopt); });
        if (!file) {
            return false;
        }
        sourceName_ = std::move(file->name);
        bytes = std::move(file->bytes);
        return true;
    }

    void Unpack(const std::string& bytes, ScratchFile& mmdb) {
        try {
            if (LooksGzipped(bytes)) {
                Gunzip(bytes, request_.maxUnpackedBytes,
                       [&mmdb](const char* data, std::size_t size) { mmdb.Write(data, size); });
            } else {
                mmdb.Write(bytes.data(), bytes.size());
            }
            mmdb.Close();
        } catch (const GunzipError& error) {
            throw UpdateError("Cannot unpack " + sourceName_ + ": " + error.what());
        } catch (const std::runtime_error& error) {
            throw UpdateError(error.what());
        }
    }

    // A city database with IPv4 data (the importer tells about the IPv4 part),
    // or an organisation database. A file given by hand is installed as what
    // it is; a download must be of the kind asked for.
    std::uint64_t Check(const std::string& path) {
        try {
            const mmdbimport::MmdbDatabase database(path);
            const bool asn = mmdbimport::IsAsnDatabase(database);
            if (asn && !request_.fromFile.empty() && product_ != &AsnProduct) {
                product_ = &AsnProduct;
                installed_ = update::InstalledSource(dir_, *product_);
            }
            if (product_ == &AsnProduct) {
                if (!asn) {
                    throw UpdateError(sourceName_ +
                                      " is not an ASN database (no autonomous_system_number in "
                                      "its records); nothing was changed");
                }
                return database.buildEpoch();
            }
            std::string type = database.databaseType();
            std::string lower = type;
            std::transform(lower.begin(), lower.end(), lower.begin(),
                           [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
            if (lower.find("city") == std::string::npos) {
                throw UpdateError(sourceName_ + " is " +
                                  (type.empty() ? "a database without a type" : "a " + type) +
                                  " database, not a city database; nothing was changed");
            }
            return database.buildEpoch();
        } catch (const mmdbimport::ImportError&) {
            throw UpdateError(sourceName_ + " is not an MMDB database; nothing was changed");
        }
    }

    // The IPv6 part is left out, with a note, when the source has none.
    bool Build(const std::string& mmdb, const StagedFile& file, int edition,
               std::ostream& summary) {
        try {
            mmdbimport::BuildCityDatabaseFromMmdb(
                {mmdb, file.path(), {edition, true}, request_.regionCodesPath}, progress_, summary,
                err_);
        } catch (const mmdbimport::NoFamilyDataError& error) {
            if (edition != 31) {
                throw UpdateError(sourceName_ + ": " + error.what());
            }
            err_ << "orvanta-db: note: " << sourceName_
                 << " has no IPv6 networks; no IPv6 database is made\n";
            return false;
        } catch (const mmdbimport::ImportError& error) {
            throw UpdateError(sourceName_ + ": " + error.what());
        } catch (const geoip::WriteError& error) {
            throw UpdateError(error.what());
        }
        return true;
    }

    // What the installed files were made from, beside the README and the
    // attribution. When that cannot be written the files are in place but
    // not their record: the next update must not take them for current.
    void Record(const std::string& summary, const update::SourceInfo& source) {
        const fs::path db = dir_ / "db";
        try {
            update::WriteTextFile(db / "README.txt", DbReadmeText);
            update::WriteTextFile(db / "ATTRIBUTION.txt", DbAttributionText);
            update::WriteTextFile(db / product_->summary, summary);
            update::WriteTextFile(db / product_->sourceInfo, update::SourceInfoText(source));
        } catch (const geoip::WriteError& error) {
            std::error_code ignored;
            fs::remove(db / product_->sourceInfo, ignored);
            throw UpdateError(error.what());
        }
    }

    // Both organisation files are built before either replaces what is
    // installed, as for the location files.
    void ConvertAsn(const std::string& mmdb, std::uint64_t epoch) {
        std::ostringstream summary;
        StagedFile ipv4(dir_, product_->database);
        StagedFile ipv6(dir_, product_->ipv6Database);
        try {
            for (const StagedFile* file : {&ipv4, &ipv6}) {
                const int edition = file == &ipv4 ? 9 : 21;
                mmdbimport::AsnImport import =
                    mmdbimport::ImportAsnMmdb(mmdb, edition == 21, progress_);
                const geoip::WriteSummary written =
                    geoip::WriteAsnDatabase(file->path(), import.set, edition);
                summary << fs::path(file->target()).filename().string() << " (edition " << edition
                        << "): " << import.sourceRanges << " ranges, " << written.distinctRecords
                        << " distinct texts, " << written.fileSize << " bytes\n";
            }
        } catch (const mmdbimport::ImportError& error) {
            throw UpdateError(sourceName_ + ": " + error.what());
        } catch (const geoip::WriteError& error) {
            throw UpdateError(error.what());
        }
        ipv4.Install();
        ipv6.Install();
        const std::string built = update::BuildDate(epoch);
        Record(summary.str(), {sourceName_, epoch, false});
        out_ << "orvanta-db: " << ipv4.target() << " and " << ipv6.target() << " made from "
             << sourceName_ << " (built " << built << ")\n"
             << "IP to ASN Lite by DB-IP (https://db-ip.com), licensed CC BY 4.0\n";
    }

    void Convert(const std::string& mmdb, std::uint64_t epoch) {
        if (product_ == &AsnProduct) {
            ConvertAsn(mmdb, epoch);
            return;
        }
        std::ostringstream summary;
        // Both files are built before either replaces what is installed.
        StagedFile ipv4(dir_, product_->database);
        StagedFile ipv6(dir_, product_->ipv6Database);
        Build(mmdb, ipv4, 6, summary);
        summary << "\n" << product_->ipv6Database << " (edition 31):\n";
        const bool haveIPv6 = Build(mmdb, ipv6, 31, summary);
        ipv4.Install();
        if (haveIPv6) {
            ipv6.Install();
        }
        const std::string built = update::BuildDate(epoch);
        Record(summary.str(), {sourceName_, epoch, !haveIPv6});
        out_ << "orvanta-db: " << ipv4.target() << " made from " << sourceName_ << " (built "
             << built << ")\n";
        if (haveIPv6) {
            out_ << "orvanta-db: " << ipv6.target() << " made from " << sourceName_ << "\n";
        }
        out_ << "IP Geolocation by DB-IP (https://db-ip.com), licensed CC BY 4.0\n";
    }

    const UpdateRequest& request_;
    const Product* product_;
    mmdbimport::Progress& progress_;
    std::ostream& out_;
    std::ostream& err_;
    fs::path dir_;
    std::optional<update::SourceInfo> installed_;
    std::string sourceName_;
};

} // namespace

std::string MonthlyFileName(int year, unsigned month) {
    return update::ProductFileName(CityProduct, year, month);
}

std::string MonthlyAsnFileName(int year, unsigned month) {
    return update::ProductFileName(AsnProduct, year, month);
}

std::string DefaultDataFolder() {
    const char* xdg = std::getenv("XDG_DATA_HOME");
    if (xdg != nullptr && xdg[0] == '/') {
        return std::string(xdg) + "/orvanta";
    }
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] != '\0') {
        return std::string(home) + "/.local/share/orvanta";
    }
    return "";
}

void UpdateDatabase(const UpdateRequest& request, mmdbimport::Progress& progress, std::ostream& out,
                    std::ostream& err) {
    Updater(request, CityProduct, progress, out, err).Run();
}

void UpdateAsnDatabases(const UpdateRequest& request, mmdbimport::Progress& progress,
                        std::ostream& out, std::ostream& err) {
    Updater(request, AsnProduct, progress, out, err).Run();
}

} // namespace orvanta::dbtool
