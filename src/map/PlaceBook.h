// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The places the open map's geocoder answers: the program only ever asks
// the page to find its own location lines, and it already knows where
// each one is. The results list feeds the book as rows are added and tells
// it which row a map command is about, so the marker always sits where
// that row says, also when two rows share a location line but not their
// coordinates. Nothing here asks any outside service.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace orvanta::map {

struct Place {
    double latitude = 0;
    double longitude = 0;
    bool operator==(const Place&) const = default;
};

class PlaceBook {
public:
    // A row appended to the results list; it becomes the row the next map
    // command is about. Coordinates are the row's texts, in the user's
    // decimal separator (a "." or "," written under other settings is
    // read too); a row whose texts are no coordinates (a place the
    // database does not hold) is remembered as having no place.
    void Add(std::string_view line, std::string_view latitude, std::string_view longitude,
             std::string_view decimalSeparator);

    // An older row shown again (double-click, "Go to Address"): the row the
    // next map command is about, without adding it.
    void Focus(std::string_view line, std::string_view latitude, std::string_view longitude,
               std::string_view decimalSeparator);

    // Forgets every row (the results list was emptied).
    void Clear();

    // Where `address` (the text the page was asked to find) is: the row of
    // the last Add or Focus when its location line is the address, else the
    // latest added row with that line. Lines are compared as the map
    // command sends them (ends trimmed, line breaks as blanks). Nothing when
    // no such row exists or that row has no place.
    std::optional<Place> Find(std::string_view address) const;

    // A coordinate text of a results row as a number: an optional "-",
    // digits, optionally the separator (or "." or ",") and more digits.
    // Nothing for any other text, or for a value outside `limit`.
    static std::optional<double> ParseCoordinate(std::string_view text,
                                                 std::string_view decimalSeparator, double limit);

private:
    struct Row {
        std::string line;
        std::optional<Place> place;
    };
    static Row MakeRow(std::string_view line, std::string_view latitude, std::string_view longitude,
                       std::string_view decimalSeparator);

    // The latest added row of each line.
    std::unordered_map<std::string, std::optional<Place>> FLatest;
    std::optional<Row> FCurrent;
};

} // namespace orvanta::map
