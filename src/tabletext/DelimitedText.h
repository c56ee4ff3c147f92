// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Rows as delimited text, quoted the way RFC 4180 quotes CSV: a field that
// holds the delimiter, a double quote, CR or LF is put in double quotes with
// its own quotes doubled; every other field goes out as it is. The same rule
// with a tab as delimiter gives the lines spreadsheets take from the
// clipboard. Texts are bytes (UTF-8 in practice) and pass through unchanged.
//
//     DelimitedLine({"a,b", "c"}, ',')          // "\"a,b\",c"
//     CsvText({"x", "y"}, {{"1", "2"}})          // "x,y\r\n1,2\r\n"
#include <string>
#include <string_view>
#include <vector>

namespace orvanta::tabletext {

std::string QuotedField(std::string_view field, char delimiter);

// The fields joined by `delimiter`, each quoted as above; no line end.
std::string DelimitedLine(const std::vector<std::string>& fields, char delimiter);

// A CSV document: the header line, then one line per row, each line ended
// by CR LF.
std::string CsvText(const std::vector<std::string>& header,
                    const std::vector<std::vector<std::string>>& rows);

} // namespace orvanta::tabletext
