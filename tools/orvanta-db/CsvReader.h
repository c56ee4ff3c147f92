// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Reads CSV records as RFC 4180 writes them: comma-separated fields, fields
// in double quotes may hold commas, line breaks and doubled quotes. Lines end
// in LF or CR LF; empty lines are skipped; a UTF-8 byte order mark at the
// start is dropped.

#include <cstddef>
#include <istream>
#include <stdexcept>
#include <string>
#include <vector>

namespace orvanta::dbtool {

class CsvError : public std::runtime_error {
public:
    CsvError(std::size_t line, const std::string& message)
        : std::runtime_error(message), line_(line) {}
    std::size_t line() const { return line_; }

private:
    std::size_t line_;
};

class CsvReader {
public:
    explicit CsvReader(std::istream& in);

    // The next record's fields; false at the end of the input. Throws
    // CsvError for a quoted field that is not closed or is followed by text.
    bool Next(std::vector<std::string>& fields);

    // The line on which the record last returned by Next begins (from 1).
    std::size_t RecordLine() const { return recordLine_; }

private:
    int Peek();
    int Get();
    void ReadQuoted(std::string& field);

    std::istream& in_;
    std::vector<char> buffer_;
    std::size_t position_ = 0;
    std::size_t filled_ = 0;
    std::size_t line_ = 1;
    std::size_t recordLine_ = 0;
    bool started_ = false;
};

} // namespace orvanta::dbtool
