#include "mmdbimport/RegionCodes.h"

#include "TempFolder.h"
#include "mmdbimport/ImportError.h"
#include "mmdbimport/JsonValue.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace orvanta::mmdbtest {
namespace {

using mmdbimport::ImportError;
using mmdbimport::JsonValue;
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

struct JsonCase {
    const char* name;
    const char* document;
    bool valid;
    const char* firstString; // the text of the first array item, when valid
};
void PrintTo(const JsonCase& c, std::ostream* os) {
    *os << c.name;
}

class JsonTest : public ::testing::TestWithParam<JsonCase> {};

TEST_P(JsonTest, ParsesOrRefuses) {
    const JsonCase& c = GetParam();
    if (!c.valid) {
        EXPECT_THROW(JsonValue::Parse(c.document), ImportError);
        return;
    }
    const JsonValue v = JsonValue::Parse(c.document);
    ASSERT_EQ(v.kind, JsonValue::Kind::Array);
    ASSERT_FALSE(v.items.empty());
    if (c.firstString != nullptr) {
        EXPECT_EQ(v.items[0].text, c.firstString);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Documents, JsonTest,
    ::testing::Values(JsonCase{"escapes", R"(["a\"b\\c\/d\n\t"])", true, "a\"b\\c/d\n\t"},
                      JsonCase{"unicode_escape", R"(["\u00e9"])", true, "\xC3\xA9"},
                      JsonCase{"surrogate_pair", R"(["\ud83d\ude00"])", true, "\xF0\x9F\x98\x80"},
                      JsonCase{"numbers_and_words", R"([1, -2.5e3, true, false, null, {}, []])",
                               true, nullptr},
                      JsonCase{"lone_high_surrogate", R"(["\ud83d"])", false, nullptr},
                      JsonCase{"lone_low_surrogate", R"(["\ude00"])", false, nullptr},
                      JsonCase{"unterminated_string", R"(["abc)", false, nullptr},
                      JsonCase{"control_character", "[\"a\x01\"]", false, nullptr},
                      JsonCase{"trailing_comma", "[1,]", false, nullptr},
                      JsonCase{"trailing_text", "[1] x", false, nullptr},
                      JsonCase{"bad_escape", R"(["\q"])", false, nullptr},
                      JsonCase{"short_unicode_escape", R"(["\u12"])", false, nullptr},
                      JsonCase{"missing_colon", R"({"a" 1})", false, nullptr},
                      JsonCase{"bare_minus", "[-]", false, nullptr},
                      JsonCase{"empty_input", "", false, nullptr}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Json, DeepNestingIsRefusedNotOverflowed) {
    const std::string deep(100000, '[');
    EXPECT_THROW(JsonValue::Parse(deep), ImportError);
}

} // namespace
} // namespace orvanta::mmdbtest
