// SPDX-License-Identifier: GPL-3.0-or-later
#include "json/BoundedJson.h"

#include <gtest/gtest.h>

namespace orvanta::json {
namespace {

struct JsonCase {
    const char* name;
    std::string document;
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
        EXPECT_THROW(ParseBounded(c.document), JsonError);
        return;
    }
    const nlohmann::json v = ParseBounded(c.document);
    ASSERT_TRUE(v.is_array());
    ASSERT_FALSE(v.empty());
    if (c.firstString != nullptr) {
        EXPECT_EQ(v[0].get<std::string>(), c.firstString);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Documents, JsonTest,
    ::testing::Values(
        JsonCase{"escapes", R"(["a\"b\\c\/d\n\t"])", true, "a\"b\\c/d\n\t"},
        JsonCase{"unicode_escape", R"(["\u00e9"])", true, "\xC3\xA9"},
        JsonCase{"surrogate_pair", R"(["\ud83d\ude00"])", true, "\xF0\x9F\x98\x80"},
        JsonCase{"numbers_and_words", R"([1, -2.5e3, true, false, null, {}, []])", true, nullptr},
        JsonCase{"brackets_inside_strings_do_not_nest", "[\"" + std::string(200, '[') + "\"]", true,
                 nullptr},
        JsonCase{"escaped_quote_keeps_the_string_open", R"(["\"[[[[", {}])", true, "\"[[[["},
        JsonCase{"sixty_four_levels", std::string(64, '[') + std::string(64, ']'), true, nullptr},
        JsonCase{"sixty_five_levels", std::string(65, '[') + std::string(65, ']'), false, nullptr},
        JsonCase{"lone_high_surrogate", R"(["\ud83d"])", false, nullptr},
        JsonCase{"lone_low_surrogate", R"(["\ude00"])", false, nullptr},
        JsonCase{"invalid_utf8", "[\"\xC3\x28\"]", false, nullptr},
        JsonCase{"unterminated_string", R"(["abc)", false, nullptr},
        JsonCase{"control_character", "[\"a\x01\"]", false, nullptr},
        JsonCase{"trailing_comma", "[1,]", false, nullptr},
        JsonCase{"trailing_text", "[1] x", false, nullptr},
        JsonCase{"bad_escape", R"(["\q"])", false, nullptr},
        JsonCase{"short_unicode_escape", R"(["\u12"])", false, nullptr},
        JsonCase{"missing_colon", R"({"a" 1})", false, nullptr},
        JsonCase{"bare_minus", "[-]", false, nullptr},
        JsonCase{"number_beyond_double", "[1e999]", false, nullptr},
        JsonCase{"empty_input", "", false, nullptr}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Json, ErrorsNameTheOffset) {
    const struct {
        std::string document;
        std::size_t offset;
    } rows[] = {{std::string(100000, '['), 64}, {"[1, x]", 4}, {"{\"a\": [1,, 2]}", 9}};
    for (const auto& row : rows) {
        try {
            ParseBounded(row.document);
            ADD_FAILURE() << row.document.substr(0, 20);
        } catch (const JsonError& e) {
            EXPECT_EQ(e.offset(), row.offset) << e.what();
            EXPECT_EQ(std::string(e.what()).rfind(
                          "Malformed JSON at byte " + std::to_string(row.offset) + ": ", 0),
                      0u)
                << e.what();
        }
    }
}

} // namespace
} // namespace orvanta::json
