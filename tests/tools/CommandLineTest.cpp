// SPDX-License-Identifier: GPL-3.0-or-later
// Exit codes and messages of the tool's command line, and the info command.

#include "ToolRunner.h"

#include <gtest/gtest.h>

namespace orvanta::dbtool::test {
namespace {

struct ExitCase {
    const char* name;
    std::vector<std::string> args;
    int status;
    const char* out; // a part of standard output, or ""
    const char* err; // a part of standard error, or ""
};

void PrintTo(const ExitCase& c, std::ostream* os) {
    *os << c.name;
}

class ExitCodeTest : public ::testing::TestWithParam<ExitCase> {};

TEST_P(ExitCodeTest, ExitsWithItsCodeAndMessage) {
    const ExitCase& c = GetParam();
    TempFolder folder;
    ToolResult result = RunTool(c.args, "", folder.path());
    EXPECT_EQ(result.status, c.status) << result.err;
    EXPECT_NE(result.out.find(c.out), std::string::npos) << result.out;
    EXPECT_NE(result.err.find(c.err), std::string::npos) << result.err;
    if (c.status == 2) {
        EXPECT_NE(result.err.find("Usage: orvanta-db"), std::string::npos) << result.err;
    }
}

INSTANTIATE_TEST_SUITE_P(
    CommandLines, ExitCodeTest,
    ::testing::Values(
        ExitCase{"NoCommand", {}, 2, "", "Usage: orvanta-db COMMAND"},
        ExitCase{"ToolHelp", {"--help"}, 0, "Usage: orvanta-db COMMAND", ""},
        ExitCase{"ToolHelpNamesTheMmdbBuild", {"--help"}, 0, "build --mmdb FILE -o OUT", ""},
        ExitCase{"Version", {"--version"}, 0, "orvanta-db " ORVANTA_VERSION "\n", ""},
        ExitCase{"InfoHelp", {"info", "--help"}, 0, "Usage: orvanta-db info FILE", ""},
        ExitCase{"LookupHelp", {"lookup", "--help"}, 0, "Usage: orvanta-db lookup", ""},
        ExitCase{"BuildHelp", {"build", "--help"}, 0, "Usage: orvanta-db build --csv", ""},
        ExitCase{"UnknownCommand", {"convert"}, 2, "", "unknown command \"convert\""},
        ExitCase{"InfoWithoutFile", {"info"}, 2, "", "info needs a FILE"},
        ExitCase{"InfoTwoFiles", {"info", "a", "b"}, 2, "", "info takes one FILE"},
        ExitCase{"InfoUnknownOption", {"info", "--edition"}, 2, "", "unknown option --edition"},
        ExitCase{"LookupDbWithoutValue", {"lookup", "--db"}, 2, "", "--db needs a value"},
        ExitCase{
            "LookupUnknownOption", {"lookup", "--xml", "1.2.3.4"}, 2, "", "unknown option --xml"},
        ExitCase{"BuildWithoutOutput", {"build", "--csv", "a.csv"}, 2, "", "-o OUT"},
        ExitCase{"BuildWithoutSource", {"build", "-o", "out.dat"}, 2, "", "needs a source"},
        ExitCase{"BuildTwoSources",
                 {"build", "--csv", "a", "--mmdb", "b", "-o", "c"},
                 2,
                 "",
                 "give one source"},
        ExitCase{"BuildBadEdition",
                 {"build", "--csv", "a", "-o", "c", "--edition", "3"},
                 2,
                 "",
                 "--edition must be 2, 6, 9, 21, 30 or 31"},
        ExitCase{"BuildStrayArgument",
                 {"build", "--csv", "a", "-o", "c", "extra"},
                 2,
                 "",
                 "unexpected argument"},
        ExitCase{"InfoMissingFile", {"info", "nothing.dat"}, 1, "", "Cannot open file \"/"},
        ExitCase{"LookupMissingDefault",
                 {"lookup", "1.2.3.4"},
                 1,
                 "",
                 "/GeoLiteCity.dat\". No such file or directory"},
        ExitCase{"BuildMissingCsv",
                 {"build", "--csv", "none.csv", "-o", "c"},
                 1,
                 "",
                 "Cannot open \"none.csv\""}),
    [](const auto& info) { return std::string(info.param.name); });

std::string Block(unsigned char edition, std::uint32_t boundary) {
    std::string bytes = "\xFF\xFF\xFF";
    bytes += static_cast<char>(edition);
    for (int i = 0; i < 3; ++i) {
        bytes += static_cast<char>((boundary >> (8 * i)) & 0xFF);
    }
    return bytes;
}

TEST(InfoTest, PrintsWhatTheEditionBlockSays) {
    struct Row {
        const char* name;
        std::string file;
        const char* out;
    } rows[] = {
        {"City2", std::string(30, '\0') + Block(2, 10000),
         "edition: 2\nsegments: 10000\nrecord_length: 3\n"},
        {"Edition107", std::string(30, '\0') + Block(107, 5),
         "edition: 2\nsegments: 5\nrecord_length: 3\n"},
        {"Edition105", std::string(30, '\0') + Block(105, 5),
         "edition: 105\nsegments: none\nrecord_length: 3\n"},
        {"Edition4", std::string(30, '\0') + Block(4, 70000),
         "edition: 4\nsegments: 70000\nrecord_length: 4\n"},
        {"NoBlock", std::string(30, '\0'), "edition: 1\nsegments: 16776960\nrecord_length: 3\n"},
        {"Empty", "", "edition: 1\nsegments: 16776960\nrecord_length: 3\n"},
        {"TwoBytes", "\xFF\xFF", "edition: 1\nsegments: 16776960\nrecord_length: 3\n"},
    };
    TempFolder folder;
    for (const Row& row : rows) {
        ToolResult result = RunTool({"info", folder.Write(row.name, row.file)});
        EXPECT_EQ(result.status, 0) << row.name;
        EXPECT_EQ(result.out, row.out) << row.name;
    }
    ToolResult directory = RunTool({"info", folder.path().string()});
    EXPECT_EQ(directory.status, 1);
    EXPECT_EQ(directory.err,
              "Cannot open file \"" + folder.path().string() + "\". Is a directory\n");
}

} // namespace
} // namespace orvanta::dbtool::test
