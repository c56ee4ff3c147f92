// SPDX-License-Identifier: GPL-3.0-or-later
#include "mmdbimport/RegionCodes.h"

#include "TempFolder.h"
#include "mmdbimport/ImportError.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace orvanta::mmdbtest {
namespace {

using mmdbimport::ImportError;
using mmdbimport::RegionCodes;
using orvanta::test::TempFolder;

const char* const kList = R"json({"3166-2": [
  {"code": "US-CA", "name": "California", "type": "State"},
  {"code": "FR-IDF", "name": "\u00CEle-de-France", "type": "Metropolitan region"},
  {"code": "FR-75C", "name": "Paris", "type": "Metropolitan collectivity with special status"},
  {"code": "GB-LND", "name": "London, City of", "parent": "GB-ENG", "type": "City corporation"},
  {"code": "GB-ENG", "name": "England", "type": "Country"},
  {"code": "IT-25", "name": "Lombardia", "type": "Region"},
  {"code": "IT-MI", "name": "Milano", "parent": "IT-25", "type": "Province"},
  {"code": "IT-MB", "name": "Lombardia", "parent": "IT-25", "type": "Province"},
  {"code": "BE-VLG", "name": "Vlaams Gewest (Flemish Region)", "type": "Region"},
  {"code": "PL-10", "name": "\u0141\u00F3dzkie", "type": "Voivodship"},
  {"code": "broken", "name": "No dash"},
  {"name": "No code"}
]})json";

struct CodeCase {
    const char* name;
    const char* country;
    const char* region; // ISO-8859-1
    const char* code;   // nullptr: none
};
void PrintTo(const CodeCase& c, std::ostream* os) {
    *os << c.name;
}

class RegionCodeTest : public ::testing::TestWithParam<CodeCase> {};

TEST_P(RegionCodeTest, FindsTheSubdivisionCode) {
    static const RegionCodes codes = RegionCodes::FromJson(kList);
    const CodeCase& c = GetParam();
    const auto code = codes.CodeFor(c.country, c.region);
    if (c.code == nullptr) {
        EXPECT_FALSE(code.has_value()) << *code;
    } else {
        EXPECT_EQ(code.value_or("(none)"), c.code);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Names, RegionCodeTest,
    ::testing::Values(CodeCase{"exact", "US", "California", "CA"},
                      CodeCase{"case_and_accents_do_not_matter", "FR", "ile de france", "IDF"},
                      CodeCase{"latin1_accent", "FR", "\xCEle-de-France", "IDF"},
                      CodeCase{"lower_case_country", "us", "california", "CA"},
                      CodeCase{"part_before_comma", "GB", "London", "LND"},
                      CodeCase{"part_before_parenthesis", "BE", "Vlaams Gewest", "VLG"},
                      CodeCase{"transliterated_source_name", "PL", "Lodzkie", "10"},
                      CodeCase{"region_beats_its_province_of_the_same_name", "IT", "Lombardia",
                               "25"},
                      CodeCase{"wrong_country", "CA", "California", nullptr},
                      CodeCase{"unknown_name", "US", "Atlantis", nullptr},
                      CodeCase{"punctuation_only", "US", "--", nullptr}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RegionCodes, TellsCodesFromNamesAndSkipsBrokenEntries) {
    const RegionCodes codes = RegionCodes::FromJson(kList);
    EXPECT_EQ(codes.size(), 10u);
    EXPECT_TRUE(codes.IsCode("US", "CA"));
    EXPECT_FALSE(codes.IsCode("US", "California"));
    EXPECT_FALSE(codes.IsCode("CA", "CA"));
}

TEST(RegionCodes, ReadsTheInstalledList) {
    if (!std::filesystem::exists(RegionCodes::DefaultPath))
        GTEST_SKIP() << "iso-codes is not installed";
    const RegionCodes codes = RegionCodes::FromFile(RegionCodes::DefaultPath);
    EXPECT_GT(codes.size(), 4000u);
    EXPECT_EQ(codes.CodeFor("US", "California").value_or(""), "CA");
    EXPECT_EQ(codes.CodeFor("GB", "England").value_or(""), "ENG");
}

TEST(RegionCodes, FileErrorsNameTheFile) {
    TempFolder dir;
    std::ofstream(dir.File("bad.json")) << "{\"3166-2\": 5}";
    for (const std::string& path : {dir.File("missing.json"), dir.File("bad.json")}) {
        try {
            RegionCodes::FromFile(path);
            FAIL() << path;
        } catch (const ImportError& e) {
            EXPECT_NE(std::string(e.what()).find(path), std::string::npos) << e.what();
        }
    }
}

TEST(RegionCodes, MalformedOrDeepDocumentsAreImportErrorsWithTheOffset) {
    const struct {
        const char* name;
        std::string document;
        const char* message;
    } rows[] = {
        {"truncated", R"({"3166-2": [{"code": "US-CA")", "Malformed JSON at byte "},
        {"deep", std::string(100000, '['), "nested deeper than"},
        {"not_an_object", "[1, 2]", "no \"3166-2\" list"},
        {"items_of_wrong_types", R"({"3166-2": [5, "x", {"code": 1, "name": "A"}]})", nullptr},
    };
    for (const auto& row : rows) {
        if (row.message == nullptr) {
            EXPECT_EQ(RegionCodes::FromJson(row.document).size(), 0u) << row.name;
            continue;
        }
        try {
            RegionCodes::FromJson(row.document);
            ADD_FAILURE() << row.name;
        } catch (const ImportError& e) {
            EXPECT_NE(std::string(e.what()).find(row.message), std::string::npos)
                << row.name << ": " << e.what();
        }
    }
}

} // namespace
} // namespace orvanta::mmdbtest
