// SPDX-License-Identifier: GPL-3.0-or-later
// The place book that answers the open map's geocoder: which row's
// coordinates a location line gets, and which row texts are coordinates.
#include "map/PlaceBook.h"

#include "map/OpenMapSite.h"

#include <gtest/gtest.h>
#include <optional>
#include <string>

namespace {

using orvanta::map::Place;
using orvanta::map::PlaceBook;

TEST(PlaceBook, ParsesTheRowsCoordinateTexts) {
    const std::string manyDigits(400, '9');
    struct Row {
        const char* name;
        const char* text;
        const char* separator;
        std::optional<double> value;
    };
    const Row rows[] = {
        {"point", "46.8", ".", 46.8},
        {"negative", "-22.4", ".", -22.4},
        {"comma setting", "46,8", ",", 46.8},
        {"comma under point setting", "-64,2327", ".", -64.2327},
        {"other separator",
         "12\xD9\xAB"
         "5",
         "\xD9\xAB", 12.5},
        {"at the limit", "-90", ".", -90.0},
        {"beyond the limit", "90.0001", ".", std::nullopt},
        {"missing record", "ERROR City not present", ".", std::nullopt},
        {"trailing separator", "4.", ".", std::nullopt},
        {"blank around", " 4", ".", std::nullopt},
        {"exponent", "1e2", ".", std::nullopt},
        {"thousands", "1.000.5", ".", std::nullopt},
        {"many digits", manyDigits.c_str(), ".", std::nullopt},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(PlaceBook::ParseCoordinate(row.text, row.separator, 90), row.value) << row.name;
    }
}

TEST(PlaceBook, AnswersWithTheRowTheCommandIsAbout) {
    PlaceBook book;
    book.Add("Paris, A8, France", "48.8582", "2.3387", ".");
    book.Add("Paris, TX, United States", "33.6609", "-95.5555", ".");
    book.Add("Paris, A8, France", "48.86", "2.35", ".");
    book.Add("ERROR City not present", "ERROR City not present", "ERROR City not present", ".");
    struct Row {
        const char* name;
        const char* address;
        std::optional<Place> place;
    };
    const auto check = [&book](const char* step, std::initializer_list<Row> rows) {
        for (const auto& row : rows) {
            EXPECT_EQ(book.Find(row.address), row.place) << step << ": " << row.name;
        }
    };
    check("after the locates",
          {
              {"newest of a shared line", "Paris, A8, France", Place{48.86, 2.35}},
              {"other line", "Paris, TX, United States", Place{33.6609, -95.5555}},
              {"row without a place", "ERROR City not present", std::nullopt},
              {"unknown text", "Springfield", std::nullopt},
              {"prefix only", "Paris", std::nullopt},
              {"empty", "", std::nullopt},
          });
    // A double-click on the oldest row: its own coordinates, not the newest.
    book.Focus("Paris, A8, France", "48,8582", "2,3387", ",");
    check("after the focus",
          {
              {"focused row", "Paris, A8, France", Place{48.8582, 2.3387}},
              {"other lines still answer", "Paris, TX, United States", Place{33.6609, -95.5555}},
          });
    // A new locate with the shared line is about the new row again.
    book.Add("Paris, A8, France", "48.9", "2.4", ".");
    check("after a new locate", {{"new row", "Paris, A8, France", Place{48.9, 2.4}}});
    book.Clear();
    check("after clearing", {{"nothing left", "Paris, A8, France", std::nullopt}});
}

TEST(PlaceBook, LinesAreMatchedAsTheMapCommandSendsThem) {
    PlaceBook book;
    book.Add(", , United States", "38", "-97", ".");
    book.Add("O'Hare \\ </script>\xE2\x80\xA8, IL, \xC3\x89tats", "41.9786", "-87.9048", ".");
    EXPECT_EQ(book.Find(", , United States"), (Place{38, -97}));
    EXPECT_EQ(book.Find("O'Hare \\ </script>\xE2\x80\xA8, IL, \xC3\x89tats"),
              (Place{41.9786, -87.9048}));
    const std::string longLine(10240, 'x');
    book.Add(" " + longLine + "\r\n", "1", "2", ".");
    EXPECT_EQ(book.Find(longLine), (Place{1, 2}));
}

TEST(PlaceBook, AnswerTextsForThePage) {
    EXPECT_EQ(orvanta::map::placeAnswer(Place{37.386, -122.0838}),
              R"({"status":"OK","results":[{"lat":37.386,"lng":-122.0838}]})");
    EXPECT_EQ(orvanta::map::placeAnswer(Place{0, -0.5}),
              R"({"status":"OK","results":[{"lat":0,"lng":-0.5}]})");
    EXPECT_EQ(orvanta::map::placeAnswer(std::nullopt), R"({"status":"ZERO_RESULTS","results":[]})");
}

} // namespace
