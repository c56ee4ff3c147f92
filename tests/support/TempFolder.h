// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A fresh temporary folder for one test, removed with everything in it (also
// when a test took away its own permissions), and whole-file reads.
//
//     TempFolder folder;
//     const std::string db = folder.Write("city.dat", bytes);
//     EXPECT_EQ(ReadFile(db), bytes);

#include <filesystem>
#include <string>
#include <vector>

namespace orvanta::test {

class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::string File(const std::string& name) const { return (path_ / name).string(); }
    bool Exists(const std::string& name) const { return std::filesystem::exists(path_ / name); }
    // Writes `bytes` to `name` inside the folder and returns the full path;
    // throws when the file cannot be written.
    std::string Write(const std::string& name, const std::string& bytes) const;
    // Names of the entries in the folder, sorted.
    std::vector<std::string> Entries() const;

private:
    std::filesystem::path path_;
};

// The whole file's bytes; empty when it cannot be read.
std::string ReadFile(const std::string& path);

} // namespace orvanta::test
