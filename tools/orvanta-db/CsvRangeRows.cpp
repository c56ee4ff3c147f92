// SPDX-License-Identifier: GPL-3.0-or-later
#include "CsvRangeRows.h"

#include "CsvReader.h"

#include <cerrno>
#include <cstring>
#include <filesystem>

namespace orvanta::dbtool {
namespace {

bool IsHeader(const std::vector<std::string>& fields) {
    if (fields.empty()) {
        return false;
    }
    std::string first(TrimBlanks(fields[0]));
    for (char& c : first) {
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    }
    return first == "ip_range_start";
}

} // namespace

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
        text.remove_suffix(1);
    }
    return text;
}

std::ifstream OpenCsvFile(const std::string& path) {
    std::error_code ignored;
    if (std::filesystem::is_directory(path, ignored)) {
        throw SourceError("Cannot open \"" + path + "\": " + std::strerror(EISDIR));
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw SourceError("Cannot open \"" + path + "\": " + std::strerror(errno));
    }
    return in;
}

void ForEachRangeRow(std::istream& in, const std::string& name,
                     const std::function<void(const std::vector<std::string>&, std::size_t)>& row) {
    CsvReader reader(in);
    std::vector<std::string> fields;
    bool first = true;
    try {
        while (reader.Next(fields)) {
            if (first && IsHeader(fields)) {
                first = false;
                continue;
            }
            first = false;
            row(fields, reader.RecordLine());
        }
    } catch (const CsvError& error) {
        throw SourceError(name + ":" + std::to_string(error.line()) + ": " + error.what());
    }
    if (in.bad()) {
        throw SourceError(name + ": read error");
    }
}

} // namespace orvanta::dbtool
