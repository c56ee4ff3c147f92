// SPDX-License-Identifier: GPL-3.0-or-later
// The settings file's bad cases: whatever state the file is in, the program
// starts with the defaults, says so in one line, and the switch works for the
// run.
#include "TempFolder.h"
#include "forms/support/ProgramSettings.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>

using orvanta::test::ReadFile;
using orvanta::test::TempFolder;

namespace {

struct Row {
    const char* name;
    // Prepares the folder; returns the settings path inside it.
    std::string (*prepare)(const TempFolder&);
    bool complainsAtStart;
    bool remembers; // a second reader sees what the first one set
};

const Row Rows[] = {
    {"Missing", [](const TempFolder& f) { return f.File("cfg/orvanta/orvanta.conf"); }, false,
     true},
    {"Damaged value",
     [](const TempFolder& f) { return f.Write("orvanta.conf", "[privacy]\nprivateMode=banana\n"); },
     true, true},
    {"Damaged bytes",
     [](const TempFolder& f) {
         return f.Write("orvanta.conf", std::string("[privacy\n\0\xff\xfe=\x01\n[", 16));
     },
     true, true},
    {"Unreadable (a folder)",
     [](const TempFolder& f) {
         std::filesystem::create_directories(f.path() / "orvanta.conf");
         return f.File("orvanta.conf");
     },
     true, false},
    {"Unwritable (folder is a file)",
     [](const TempFolder& f) { return f.Write("plain", "x") + "/orvanta/orvanta.conf"; }, false,
     false},
};

TEST(SettingsTest, BadFilesGiveDefaultsOneLineAndAWorkingSwitch) {
    for (const Row& row : Rows) {
        SCOPED_TRACE(row.name);
        const TempFolder folder;
        const std::string path = row.prepare(folder);
        testing::internal::CaptureStderr();
        TProgramSettings settings(QString::fromStdString(path));
        const std::string atStart = testing::internal::GetCapturedStderr();
        EXPECT_FALSE(settings.PrivateMode());
        EXPECT_FALSE(settings.LookUpPastedHostNames());
        EXPECT_EQ(atStart.empty(), !row.complainsAtStart) << atStart;

        testing::internal::CaptureStderr();
        settings.SetPrivateMode(true);
        settings.SetLookUpPastedHostNames(true);
        settings.SetPrivateMode(false);
        settings.SetPrivateMode(true);
        const std::string afterSwitch = testing::internal::GetCapturedStderr();
        EXPECT_TRUE(settings.PrivateMode());
        EXPECT_TRUE(settings.LookUpPastedHostNames());
        const std::string all = atStart + afterSwitch;
        const bool complains = row.complainsAtStart || !row.remembers;
        EXPECT_EQ(std::count(all.begin(), all.end(), '\n'), complains ? 1 : 0) << all;

        const TProgramSettings again(QString::fromStdString(path));
        EXPECT_EQ(again.PrivateMode(), row.remembers);
        EXPECT_EQ(again.LookUpPastedHostNames(), row.remembers);
        // No temporary file is left beside the settings.
        for (const auto& entry : std::filesystem::directory_iterator(folder.path())) {
            EXPECT_EQ(entry.path().filename().string().rfind(".orvanta.conf.", 0),
                      std::string::npos);
        }
        if (row.remembers) {
            EXPECT_NE(ReadFile(path).find("privateMode=true"), std::string::npos);
        }
    }
}

TEST(SettingsTest, PathFollowsXdgConfigHome) {
    qputenv("XDG_CONFIG_HOME", "/some/where");
    EXPECT_EQ(TProgramSettings::DefaultPath(), "/some/where/orvanta/orvanta.conf");
    qputenv("XDG_CONFIG_HOME", "relative");
    EXPECT_TRUE(TProgramSettings::DefaultPath().endsWith("/.config/orvanta/orvanta.conf"));
}

} // namespace
