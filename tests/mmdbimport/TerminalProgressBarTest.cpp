// SPDX-License-Identifier: GPL-3.0-or-later
#include "mmdbimport/TerminalProgressBar.h"

#include <algorithm>
#include <cstdio>
#include <gtest/gtest.h>
#include <string>

namespace orvanta::mmdbtest {
namespace {

std::string Draw(bool enabled, bool byTerminalTest) {
    std::FILE* file = std::tmpfile();
    {
        mmdbimport::TerminalProgressBar bar = byTerminalTest
                                                  ? mmdbimport::TerminalProgressBar(file)
                                                  : mmdbimport::TerminalProgressBar(file, enabled);
        bar.Start("reading", 10);
        bar.Advance(3);
        bar.Finish();
        bar.Start("writing", 0);
        bar.Finish();
    }
    std::string text;
    std::rewind(file);
    for (int c; (c = std::fgetc(file)) != EOF;)
        text += char(c);
    std::fclose(file);
    return text;
}

TEST(TerminalProgressBar, SilentUnlessOnATerminal) {
    EXPECT_EQ(Draw(false, true), ""); // a temporary file is no terminal
    EXPECT_EQ(Draw(false, false), "");
}

TEST(TerminalProgressBar, ShowsPhaseCountsAndOneLinePerPhase) {
    const std::string text = Draw(true, false);
    EXPECT_NE(text.find("reading"), std::string::npos) << text;
    EXPECT_NE(text.find("10/10"), std::string::npos) << text;
    EXPECT_NE(text.find("writing"), std::string::npos) << text;
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 2) << text;
}

} // namespace
} // namespace orvanta::mmdbtest
