// SPDX-License-Identifier: GPL-3.0-or-later
#include "map/RouteCalls.h"

#include <gtest/gtest.h>
#include <limits>

using namespace orvanta::map;

TEST(RouteCalls, TextsCannotLeaveTheirLiteral) {
    const struct {
        const char* name;
        std::string text;
        std::string literal;
    } rows[] = {
        {"plain", "Z\xc3\xbcrich", "\"Z\xc3\xbcrich\""},
        {"quotes and backslash", "a\"b\\c'd", "\"a\\\"b\\\\c'd\""},
        {"line ends", "a\r\nb", "\"a\\x0d\\x0ab\""},
        {"script line separators", "a\xe2\x80\xa8z\xe2\x80\xa9", "\"a\\u2028z\\u2029\""},
        {"a closing script tag stays text", "</script>", "\"</script>\""},
        {"cut UTF-8 at the end", "a\xe2\x80", "\"a\xe2\x80\""},
    };
    for (const auto& row : rows)
        EXPECT_EQ(scriptStringLiteral(row.text), row.literal) << row.name;
}

TEST(RouteCalls, PointsInHopOrderWithDotDecimals) {
    EXPECT_EQ(routeShowCall({{1, 52.52, 13.405, "1 a"}, {3, -0.5, -122.0838, "3"}}, true),
              "(typeof RouteShow === 'function') && "
              "RouteShow([[1,52.520000,13.405000,\"1 a\"],[3,-0.500000,-122.083800,\"3\"]],true)");
    EXPECT_EQ(routeShowCall({}, false), "(typeof RouteShow === 'function') && RouteShow([],false)");
    // A coordinate no map has is drawn at 0 rather than breaking the call.
    EXPECT_EQ(routeShowCall({{2, 1e300, -std::numeric_limits<double>::infinity(), ""}}, false),
              "(typeof RouteShow === 'function') && RouteShow([[2,0,0,\"\"]],false)");
    EXPECT_EQ(routeClearCall(), "(typeof RouteClear === 'function') && RouteClear()");
}
