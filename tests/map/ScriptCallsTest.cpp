// SPDX-License-Identifier: GPL-3.0-or-later
#include "map/ScriptCalls.h"

#include "map/CountriesCalls.h"

#include <gtest/gtest.h>
#include <string>

namespace {

using namespace orvanta::map;

struct TextRow {
    const char* name;
    std::string in;
    std::string out;
};

TEST(ScriptCalls, CodeAddressCallFromMemoText) {
    const TextRow rows[] = {
        {"two lines", "Main Street\r\nSpringfield", "codeAddress('Main Street  Springfield')"},
        {"only blanks and breaks", " \r\n\t \r\n ", "codeAddress('')"},
        {"empty", "", "codeAddress('')"},
        {"single quote", "O'Hare", "codeAddress('O\\'Hare')"},
        {"backslash", "a\\b", "codeAddress('a\\\\b')"},
        {"backslash before quote", "\\'", "codeAddress('\\\\\\'')"},
        {"inner tab kept", "a\tb", "codeAddress('a\tb')"},
        {"inner control kept", "a\x01z", "codeAddress('a\x01z')"},
        {"outer controls cut", "\x01\x1f a \x7f", "codeAddress('a \x7f')"},
        {"lone cr and lf", "a\rb\nc", "codeAddress('a b c')"},
        {"cr lf runs", "a\r\n\r\nb", "codeAddress('a    b')"},
        {"utf8 untouched", "\xC3\xA9t\xC3\xA9 \xE2\x80\xA8",
         "codeAddress('\xC3\xA9t\xC3\xA9 \xE2\x80\xA8')"},
        {"double quote untouched", "\"x\"", "codeAddress('\"x\"')"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(codeAddressCall(row.in), row.out) << row.name;
    }
}

TEST(ScriptCalls, FixedCallTexts) {
    const TextRow rows[] = {
        {"clear", clearMarkersCall(), "ClearMarkers()"},
        {"traffic on", trafficCall(true), "TrafficOn()"},
        {"traffic off", trafficCall(false), "TrafficOff()"},
        {"bicycling on", bicyclingCall(true), "BicyclingOn()"},
        {"bicycling off", bicyclingCall(false), "BicyclingOff()"},
        {"street view on", streetViewCall(true), "StreetViewOn()"},
        {"street view off", streetViewCall(false), "StreetViewOff()"},
        {"location", gotoLatLngCall("25.767314", "-80.135694"), "GotoLatLng(25.767314,-80.135694)"},
        {"empty latitude", gotoLatLngCall("", "-80.135694"), "GotoLatLng(,-80.135694)"},
        {"texts as typed", gotoLatLngCall(" 1 ", "x"), "GotoLatLng( 1 ,x)"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(row.in, row.out) << row.name;
    }
}

TEST(ScriptCalls, PlainTextLineBreaksBecomeCrLf) {
    const TextRow rows[] = {
        {"none", "abc", "abc"},
        {"one", "a\nb", "a\r\nb"},
        {"leading and trailing", "\na\n", "\r\na\r\n"},
        {"cr inside a line", "a\r\nb", "a\r\r\nb"},
        {"run", "\n\n", "\r\n\r\n"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(withCrLfLineBreaks(row.in), row.out) << row.name;
    }
}

} // namespace

TEST(ScriptCalls, CountriesTableAsScriptLiterals) {
    using orvanta::map::countriesShowCall;
    EXPECT_EQ(
        countriesShowCall({{"DE", "Germany", 12, 40}, {"", "Unknown", 1, 18446744073709551615u}}),
        "if (typeof countriesShow === 'function') { "
        "countriesShow([[\"DE\",\"Germany\",12,40],[\"\",\"Unknown\",1,18446744073709551615]]); }");
    // Quotes, line breaks and letters beyond ASCII cannot break the call.
    EXPECT_EQ(countriesShowCall({{"CI", "C\xC3\xB4te d'Ivoire \"x\"\n</script>", 1, 1}}),
              "if (typeof countriesShow === 'function') { "
              "countriesShow([[\"CI\",\"C\\u00f4te d'Ivoire \\\"x\\\"\\n</script>\",1,1]]); }");
    EXPECT_EQ(orvanta::map::countriesClearCall(),
              "if (typeof countriesShow === 'function') { countriesClear(); }");
}
