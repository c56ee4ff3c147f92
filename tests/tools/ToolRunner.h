#pragma once
// Runs the built orvanta-db binary with arguments, standard input and a
// working folder, and collects its exit status and output.

#include <filesystem>
#include <string>
#include <vector>

namespace orvanta::dbtool::test {

struct ToolResult {
    int status = -1; // exit code, or -1 when it did not exit normally
    std::string out;
    std::string err;
};

class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::string File(const std::string& name) const { return (path_ / name).string(); }
    std::string Write(const std::string& name, const std::string& bytes) const;
    bool Exists(const std::string& name) const { return std::filesystem::exists(path_ / name); }

private:
    std::filesystem::path path_;
};

ToolResult RunTool(const std::vector<std::string>& args, const std::string& input = "",
                   const std::filesystem::path& folder = {});

std::string ReadFile(const std::string& path);

} // namespace orvanta::dbtool::test
