// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the CSV range sources (city and organisation) share: the file opened
// with a message that names it, an optional header line, and CSV faults and
// read errors turned into messages with the file name and line.

#include <cstddef>
#include <fstream>
#include <functional>
#include <istream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace orvanta::dbtool {

// A row that cannot be imported; the message names file, line and fault.
class SourceError : public std::runtime_error {
public:
    explicit SourceError(const std::string& message) : std::runtime_error(message) {}
};

// The text without leading and trailing blanks and tabs.
std::string_view TrimBlanks(std::string_view text);

// Opens `path` for reading; throws SourceError naming it (a folder included).
std::ifstream OpenCsvFile(const std::string& path);

// Calls `row` with the fields and first line of every record, skipping a
// first line whose first field is "ip_range_start" (any case). `name` is the
// file name the messages show.
void ForEachRangeRow(std::istream& in, const std::string& name,
                     const std::function<void(const std::vector<std::string>&, std::size_t)>& row);

} // namespace orvanta::dbtool
