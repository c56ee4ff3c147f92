// SPDX-License-Identifier: GPL-3.0-or-later
#include "map/ScriptGuard.h"

#include <gtest/gtest.h>
#include <string>

namespace {

using namespace orvanta::map;

TEST(ScriptGuard, StringLiteralEscapesWhatWouldBreakIt) {
    struct Row {
        const char* name;
        std::string in;
        std::string out;
    };
    const Row rows[] = {
        {"plain", "GotoLatLng(1,2)", "\"GotoLatLng(1,2)\""},
        {"double quote", "a\"b", "\"a\\\"b\""},
        {"backslash", "a\\b", "\"a\\\\b\""},
        {"single quote kept", "'x'", "\"'x'\""},
        {"line breaks", "a\r\nb", "\"a\\u000d\\u000ab\""},
        {"nul", std::string("a\0b", 3), "\"a\\u0000b\""},
        {"del", "\x7f", "\"\\u007f\""},
        {"line separator", "a\xE2\x80\xA8z", "\"a\\u2028z\""},
        {"paragraph separator", "\xE2\x80\xA9", "\"\\u2029\""},
        {"other utf8 kept", "\xE2\x80\xA6\xC3\xA9", "\"\xE2\x80\xA6\xC3\xA9\""},
        {"cut sequence kept", "\xE2\x80", "\"\xE2\x80\""},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(scriptStringLiteral(row.in), row.out) << row.name;
    }
}

TEST(ScriptGuard, ErrorMessageLosesTrailingBlanksControlsAndFullStops) {
    struct Row {
        const char* name;
        const char* in;
        const char* out;
    };
    const Row rows[] = {
        {"reference error", "ReferenceError: google is not defined",
         "ReferenceError: google is not defined"},
        {"full stops and blanks", "Failed. . \r\n", "Failed"},
        {"inner stop kept", "a.b", "a.b"},
        {"leading blanks kept", "  x", "  x"},
        {"only stops", "...", "Script call failed"},
        {"empty", "", "Script call failed"},
        {"utf8 end kept", "caf\xC3\xA9", "caf\xC3\xA9"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(scriptErrorMessage(row.in), row.out) << row.name;
    }
}

TEST(ScriptGuard, AnswerDecoding) {
    struct Row {
        const char* name;
        const char* answer;
        bool failed;
        const char* message;
    };
    const Row rows[] = {
        {"success", "0", false, ""},
        {"error", "1TypeError: x is not a function", true, "TypeError: x is not a function"},
        {"error with empty text", "1", true, "Script call failed"},
        {"no answer", "", true, "Script call failed"},
        {"unknown shape", "00", true, "Script call failed"},
    };
    for (const auto& row : rows) {
        const auto answer = decodeGuardedAnswer(row.answer);
        EXPECT_EQ(answer.failed, row.failed) << row.name;
        EXPECT_EQ(answer.message, row.message) << row.name;
    }
}

} // namespace
