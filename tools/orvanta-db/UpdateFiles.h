// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The file work of an update in a data folder: new databases staged beside
// their targets until every build succeeded, small texts written whole or not
// at all, the source read with a cap. Failures throw UpdateError with one
// line naming the file.

#include <cstdint>
#include <filesystem>
#include <string>

namespace orvanta::dbtool::update {

// A build's output, staged beside its target until every build succeeded;
// removed unless installed.
class StagedFile {
public:
    StagedFile(const std::filesystem::path& dir, const std::string& name);
    ~StagedFile();
    StagedFile(const StagedFile&) = delete;
    StagedFile& operator=(const StagedFile&) = delete;

    std::string path() const { return staged_.string(); }
    std::string target() const { return target_.string(); }
    // Renames the staged file over the target.
    void Install();

private:
    std::filesystem::path target_;
    std::filesystem::path staged_;
    bool installed_ = false;
};

// Creates the folder and its parents; throws when it is not a folder after.
void EnsureFolder(const std::filesystem::path& folder);

// Written beside the target and renamed into place; throws
// geoip::WriteError.
void WriteTextFile(const std::filesystem::path& path, const std::string& text);

// The whole file, refused when larger than maxBytes.
std::string ReadWholeFile(const std::string& path, std::uint64_t maxBytes);

} // namespace orvanta::dbtool::update
