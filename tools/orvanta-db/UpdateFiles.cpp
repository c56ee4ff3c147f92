// SPDX-License-Identifier: GPL-3.0-or-later
#include "UpdateFiles.h"

#include "DatabaseUpdate.h"
#include "geoipwriter/DatabaseFile.h"

#include <fstream>
#include <system_error>

namespace orvanta::dbtool::update {

namespace fs = std::filesystem;

StagedFile::StagedFile(const fs::path& dir, const std::string& name)
    : target_(dir / name), staged_(dir / ("." + name + ".update")) {}

StagedFile::~StagedFile() {
    if (!installed_) {
        std::error_code ignored;
        fs::remove(staged_, ignored);
    }
}

void StagedFile::Install() {
    std::error_code error;
    fs::rename(staged_, target_, error);
    if (error) {
        throw UpdateError("Cannot rename the new database to \"" + target_.string() +
                          "\": " + error.message());
    }
    installed_ = true;
}

void EnsureFolder(const fs::path& folder) {
    std::error_code error;
    fs::create_directories(folder, error);
    if (error || !fs::is_directory(folder)) {
        throw UpdateError("Cannot create the folder \"" + folder.string() +
                          "\": " + (error ? error.message() : "a file of that name is in the way"));
    }
}

void WriteTextFile(const fs::path& path, const std::string& text) {
    geoip::DatabaseFile file(path.string());
    file.Write(text.data(), text.size());
    file.Commit();
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

} // namespace orvanta::dbtool::update
