// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Runs the built orvanta-db binary with arguments, standard input and a
// working folder, and collects its exit status and output.

#include "TempFolder.h"

#include <filesystem>
#include <string>
#include <vector>

namespace orvanta::dbtool::test {

struct ToolResult {
    int status = -1; // exit code, or -1 when it did not exit normally
    std::string out;
    std::string err;
};

using orvanta::test::ReadFile;
using orvanta::test::TempFolder;

ToolResult RunTool(const std::vector<std::string>& args, const std::string& input = "",
                   const std::filesystem::path& folder = {});

} // namespace orvanta::dbtool::test
