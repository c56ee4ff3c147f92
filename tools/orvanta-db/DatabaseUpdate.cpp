#include "DatabaseUpdate.h"

#include "DataFolderTexts.h"
#include "Gunzip.h"
#include "ScratchFile.h"
#include "geoipwriter/AsnDatabaseWriter.h"
#include "geoipwriter/DatabaseFile.h"
#include "geoipwriter/WriteError.h"
#include "http/HttpClient.h"
#include "mmdbimport/ImportError.h"
#include "mmdbimport/MmdbAsnImporter.h"
#include "mmdbimport/MmdbCityBuild.h"
#include "mmdbimport/MmdbDatabase.h"
#include "mmdbimport/Progress.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <system_error>

namespace orvanta::dbtool {
namespace {

namespace fs = std::filesystem;

constexpr const char* DatabaseName = "GeoLiteCity.dat";
constexpr const char* IPv6DatabaseName = "GeoLiteCityv6.dat";
// The IPv6 file is built from the same source; sources without IPv6
// networks say so in SOURCE.txt, so that a missing file is not taken for an
// install that still lacks it.
constexpr const char* NoIPv6Line = "ipv6: none";
constexpr const char* SourceInfoName = "SOURCE.txt";

// What an update installs: the location databases from DB-IP's City Lite
// download, or the two organisation databases from its ASN Lite download.
// Each kind keeps its own record of what it was made from, so that one
// kind's update never decides about, or touches, the other's files.
struct Product {
    const char* downloadStem; // DB-IP's file names: STEM-YYYY-MM.mmdb.gz
    const char* database;     // the IPv4 file
    const char* sourceInfo;
    const char* summary;
};

constexpr Product CityProduct{"dbip-city-lite", DatabaseName, SourceInfoName, "build-summary.txt"};
constexpr Product AsnProduct{"dbip-asn-lite", "GeoIPASNum.dat", "SOURCE-asn.txt",
                             "build-summary-asn.txt"};
constexpr const char* AsnIPv6Name = "GeoIPASNumv6.dat";

std::string ProductFileName(const Product& product, int year, unsigned month) {
    char text[64];
    std::snprintf(text, sizeof text, "%s-%04d-%02u.mmdb.gz", product.downloadStem, year, month);
    return text;
}

// What DIR/db/SOURCE.txt says the installed database was made from.
struct SourceInfo {
    std::string name;
    std::uint64_t buildEpoch = 0;
    bool noIPv6 = false;
};

// A build's output, staged beside its target until every build succeeded;
// removed unless installed.
class StagedFile {
public:
    StagedFile(const fs::path& dir, const std::string& name)
        : target_(dir / name), staged_(dir / ("." + name + ".update")) {}
    ~StagedFile() {
        if (!installed_) {
            std::error_code ignored;
            fs::remove(staged_, ignored);
        }
    }
    StagedFile(const StagedFile&) = delete;
    StagedFile& operator=(const StagedFile&) = delete;

    std::string path() const { return staged_.string(); }
    std::string target() const { return target_.string(); }
    void Install() {
        std::error_code error;
        fs::rename(staged_, target_, error);
        if (error) {
            throw UpdateError("Cannot rename the new database to \"" + target_.string() +
                              "\": " + error.message());
        }
        installed_ = true;
    }

private:
    fs::path target_;
    fs::path staged_;
    bool installed_ = false;
};

std::string Trimmed(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) {
        text.pop_back();
    }
    return text;
}

std::optional<SourceInfo> InstalledSource(const fs::path& dir, const Product& product) {
    std::error_code error;
    if (!fs::is_regular_file(dir / product.database, error) ||
        (&product == &AsnProduct && !fs::is_regular_file(dir / AsnIPv6Name, error))) {
        return std::nullopt;
    }
    std::ifstream in(dir / "db" / product.sourceInfo);
    SourceInfo info;
    for (std::string line; std::getline(in, line);) {
        line = Trimmed(line);
        if (line.rfind("source: ", 0) == 0) {
            info.name = line.substr(8);
        } else if (line.rfind("build_epoch: ", 0) == 0) {
            info.buildEpoch = std::strtoull(line.c_str() + 13, nullptr, 10);
        } else if (line == NoIPv6Line) {
            info.noIPv6 = true;
        }
    }
    if (info.name.empty() || (&product == &CityProduct && !info.noIPv6 &&
                              !fs::is_regular_file(dir / IPv6DatabaseName, error))) {
        return std::nullopt;
    }
    return info;
}

std::string BuildDate(std::uint64_t epoch) {
    const auto seconds = static_cast<std::time_t>(epoch);
    std::tm utc{};
    if (::gmtime_r(&seconds, &utc) == nullptr) {
        return "unknown";
    }
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S UTC", &utc);
    return text;
}

// Written beside the target and renamed into place.
void WriteTextFile(const fs::path& path, const std::string& text) {
    geoip::DatabaseFile file(path.string());
    file.Write(text.data(), text.size());
    file.Commit();
}

void EnsureFolder(const fs::path& folder) {
    std::error_code error;
    fs::create_directories(folder, error);
    if (error || !fs::is_directory(folder)) {
        throw UpdateError("Cannot create the folder \"" + folder.string() +
                          "\": " + (error ? error.message() : "a file of that name is in the way"));
    }
}

std::string ReadWholeFile(const std::string& path, std::uint64_t maxBytes) {
    std::error_code error;
    const auto size = fs::file_size(path, error);
    if (error) {
        throw UpdateError("Cannot read \"" + path + "\": " + error.message());
    }
    if (size > maxBytes) {
        throw UpdateError("\"" + path + "\" is larger than " + std::to_string(maxBytes) + " bytes");
    }
    std::ifstream in(path, std::ios::binary);
    std::string bytes(static_cast<std::size_t>(size), '\0');
    if (!in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()))) {
        throw UpdateError("Cannot read \"" + path + "\"");
    }
    return bytes;
}

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
        EnsureFolder(dir_ / "db");
        installed_ = InstalledSource(dir_, *product_);
        std::string bytes;
        if (!request_.fromFile.empty()) {
            sourceName_ = fs::path(request_.fromFile).filename().string();
            bytes = ReadWholeFile(request_.fromFile, request_.maxDownloadBytes);
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

    // This month's file, else last month's while this month's is not out
    // (404). False when the installed database is already made from it.
    bool Download(std::string& bytes) {
        const int year = request_.year;
        const unsigned month = request_.month;
        const std::string current = ProductFileName(*product_, year, month);
        const std::string previous = month <= 1 ? ProductFileName(*product_, year - 1, 12)
                                                : ProductFileName(*product_, year, month - 1);
        if (IsInstalled(current, std::nullopt)) {
            return false;
        }
        http::Response response = Fetch(current);
        sourceName_ = current;
        if (response.status == 404) {
            if (IsInstalled(previous, std::nullopt)) {
                return false;
            }
            response = Fetch(previous);
            sourceName_ = previous;
            if (response.status == 404) {
                throw UpdateError("Neither " + current + " nor " + previous + " is at " + Base() +
                                  " (HTTP 404)");
            }
        }
        if (response.status != 200) {
            throw UpdateError(Base() + "/" + sourceName_ + " answered HTTP " +
                              std::to_string(response.status) + "; nothing was changed");
        }
        bytes = std::move(response.body);
        return true;
    }

    std::string Base() const {
        std::string base = request_.baseUrl.empty() ? DefaultDownloadBase : request_.baseUrl;
        while (!base.empty() && base.back() == '/') {
            base.pop_back();
        }
        return base;
    }

    http::Response Fetch(const std::string& name) {
        http::Request request;
        request.url = Base() + "/" + name;
        request.limits.connectTimeout = request_.connectTimeout;
        request.limits.totalTimeout = request_.totalTimeout;
        request.limits.maxBytes = request_.maxDownloadBytes;
        request.limits.maxRedirects = 5;
        // The gzip layer is the file itself, unpacked below with its own cap.
        request.decodeContent = false;
        bool started = false;
        request.onProgress = [this, &started, name](std::uint64_t received, std::uint64_t total) {
            if (!started && received > 0) {
                progress_.Start("downloading " + name, total);
                started = true;
            }
            if (started) {
                progress_.Advance(received);
            }
            return true;
        };
        try {
            http::Response response = http::Fetch(request);
            if (started) {
                progress_.Finish();
            }
            return response;
        } catch (const http::HttpError& error) {
            if (started) {
                progress_.Finish();
            }
            throw UpdateError(std::string("Download failed: ") + error.what());
        }
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
                installed_ = InstalledSource(dir_, *product_);
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

    // Both organisation files are built before either replaces what is
    // installed, as for the location files.
    void ConvertAsn(const std::string& mmdb, std::uint64_t epoch) {
        std::ostringstream summary;
        StagedFile ipv4(dir_, product_->database);
        StagedFile ipv6(dir_, AsnIPv6Name);
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
        const fs::path db = dir_ / "db";
        const std::string built = BuildDate(epoch);
        try {
            WriteTextFile(db / "README.txt", DbReadmeText);
            WriteTextFile(db / "ATTRIBUTION.txt", DbAttributionText);
            WriteTextFile(db / product_->summary, summary.str());
            WriteTextFile(db / product_->sourceInfo, "source: " + sourceName_ +
                                                         "\nbuild_epoch: " + std::to_string(epoch) +
                                                         "\nbuilt: " + built + "\n");
        } catch (const geoip::WriteError& error) {
            std::error_code ignored;
            fs::remove(db / product_->sourceInfo, ignored);
            throw UpdateError(error.what());
        }
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
        StagedFile ipv4(dir_, DatabaseName);
        StagedFile ipv6(dir_, IPv6DatabaseName);
        Build(mmdb, ipv4, 6, summary);
        summary << "\n" << IPv6DatabaseName << " (edition 31):\n";
        const bool haveIPv6 = Build(mmdb, ipv6, 31, summary);
        ipv4.Install();
        if (haveIPv6) {
            ipv6.Install();
        }
        const fs::path db = dir_ / "db";
        const std::string built = BuildDate(epoch);
        try {
            WriteTextFile(db / "README.txt", DbReadmeText);
            WriteTextFile(db / "ATTRIBUTION.txt", DbAttributionText);
            WriteTextFile(db / "build-summary.txt", summary.str());
            WriteTextFile(db / SourceInfoName,
                          "source: " + sourceName_ + "\nbuild_epoch: " + std::to_string(epoch) +
                              "\nbuilt: " + built + "\n" + (haveIPv6 ? "" : NoIPv6Line) +
                              (haveIPv6 ? "" : "\n"));
        } catch (const geoip::WriteError& error) {
            // The database is in place, but not what it was made from: the
            // next update must not take it for current.
            std::error_code ignored;
            fs::remove(db / SourceInfoName, ignored);
            throw UpdateError(error.what());
        }
        out_ << "orvanta-db: " << (dir_ / DatabaseName).string() << " made from " << sourceName_
             << " (built " << built << ")\n";
        if (haveIPv6) {
            out_ << "orvanta-db: " << (dir_ / IPv6DatabaseName).string() << " made from "
                 << sourceName_ << "\n";
        }
        out_ << "IP Geolocation by DB-IP (https://db-ip.com), licensed CC BY 4.0\n";
    }

    const UpdateRequest& request_;
    const Product* product_;
    mmdbimport::Progress& progress_;
    std::ostream& out_;
    std::ostream& err_;
    fs::path dir_;
    std::optional<SourceInfo> installed_;
    std::string sourceName_;
};

} // namespace

std::string MonthlyFileName(int year, unsigned month) {
    return ProductFileName(CityProduct, year, month);
}

std::string MonthlyAsnFileName(int year, unsigned month) {
    return ProductFileName(AsnProduct, year, month);
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
