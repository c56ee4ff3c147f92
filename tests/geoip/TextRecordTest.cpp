// SPDX-License-Identifier: GPL-3.0-or-later
// The text record kind: bounded by its NUL, the window and the file, and
// split into AS number and organisation name.

#include "geoip/TextRecord.h"

#include <gtest/gtest.h>

namespace orvanta::geoip {
namespace {

struct SplitCase {
    const char* name;
    const char* text;
    std::optional<std::uint32_t> number;
    const char* organization;
};

void PrintTo(const SplitCase& c, std::ostream* os) {
    *os << c.name;
}

class SplitAsnTextTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitAsnTextTest, NumberAndName) {
    const AsnName name = SplitAsnText(GetParam().text);
    EXPECT_EQ(name.number, GetParam().number);
    EXPECT_EQ(name.organization, GetParam().organization);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SplitAsnTextTest,
    ::testing::Values(SplitCase{"Usual", "AS15169 Google LLC", 15169, "Google LLC"},
                      SplitCase{"NumberOnly", "AS7", 7, ""},
                      SplitCase{"LargestNumber", "AS4294967295 X", 4294967295u, "X"},
                      SplitCase{"NumberTooLarge", "AS4294967296 X", std::nullopt, "AS4294967296 X"},
                      SplitCase{"NoDigits", "AS Foo", std::nullopt, "AS Foo"},
                      SplitCase{"LettersAfterDigits", "AS12x Foo", std::nullopt, "AS12x Foo"},
                      SplitCase{"NoPrefix", "Google LLC", std::nullopt, "Google LLC"},
                      SplitCase{"Empty", "", std::nullopt, ""},
                      SplitCase{"Utf8Name", "AS3320 Deutsche Telekom \xC3\x9C", 3320,
                                "Deutsche Telekom \xC3\x9C"}));

TEST(DecodeTextRecordTest, StopsAtTheNulTheWindowOrTheFile) {
    std::vector<std::uint8_t> bytes(400, 'a');
    EXPECT_EQ(DecodeTextRecord(bytes.data(), bytes.size()), std::nullopt); // no NUL in 300
    bytes[299] = 0;
    EXPECT_EQ(DecodeTextRecord(bytes.data(), bytes.size()), std::string(299, 'a'));
    bytes[299] = 'a';
    bytes[300] = 0; // the 301st byte lies outside the window
    EXPECT_EQ(DecodeTextRecord(bytes.data(), bytes.size()), std::nullopt);
    bytes[3] = 0;
    EXPECT_EQ(DecodeTextRecord(bytes.data(), 3), std::nullopt); // the file ends before it
    EXPECT_EQ(DecodeTextRecord(bytes.data(), 4), "aaa");
    EXPECT_EQ(DecodeTextRecord(bytes.data(), 0), std::nullopt);
}

} // namespace
} // namespace orvanta::geoip
