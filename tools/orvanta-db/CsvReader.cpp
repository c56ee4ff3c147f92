// SPDX-License-Identifier: GPL-3.0-or-later
#include "CsvReader.h"

namespace orvanta::dbtool {
namespace {
constexpr std::size_t BufferSize = 1 << 16;
constexpr int End = -1;
} // namespace

CsvReader::CsvReader(std::istream& in) : in_(in), buffer_(BufferSize) {}

int CsvReader::Peek() {
    if (position_ == filled_) {
        if (!in_) {
            return End;
        }
        in_.read(buffer_.data(), static_cast<std::streamsize>(buffer_.size()));
        filled_ = static_cast<std::size_t>(in_.gcount());
        position_ = 0;
        if (filled_ == 0) {
            return End;
        }
    }
    return static_cast<unsigned char>(buffer_[position_]);
}

int CsvReader::Get() {
    int c = Peek();
    if (c != End) {
        ++position_;
        if (c == '\n') {
            ++line_;
        }
    }
    return c;
}

void CsvReader::ReadQuoted(std::string& field) {
    const std::size_t opened = line_;
    Get(); // the opening quote
    for (;;) {
        int c = Get();
        if (c == End) {
            throw CsvError(opened, "quoted field is not closed");
        }
        if (c == '"') {
            if (Peek() != '"') {
                break;
            }
            Get();
        }
        field += static_cast<char>(c);
    }
    int next = Peek();
    if (next != ',' && next != '\r' && next != '\n' && next != End) {
        throw CsvError(line_, "text after the closing quote of a field");
    }
}

bool CsvReader::Next(std::vector<std::string>& fields) {
    fields.clear();
    if (!started_) {
        started_ = true;
        Peek();
        if (filled_ >= 3 && buffer_[0] == '\xEF' && buffer_[1] == '\xBB' && buffer_[2] == '\xBF') {
            position_ = 3; // a UTF-8 byte order mark
        }
    }
    // Skip empty lines between records.
    while (Peek() == '\r' || Peek() == '\n') {
        Get();
    }
    if (Peek() == End) {
        return false;
    }
    recordLine_ = line_;
    std::string field;
    for (;;) {
        int c = Peek();
        if (c == '"' && field.empty()) {
            ReadQuoted(field);
            continue;
        }
        if (c == ',' || c == '\r' || c == '\n' || c == End) {
            fields.push_back(std::move(field));
            field.clear();
            if (c == ',') {
                Get();
                continue;
            }
            if (c == '\r') {
                Get();
                if (Peek() == '\n') {
                    Get();
                }
            } else if (c == '\n') {
                Get();
            }
            return true;
        }
        field += static_cast<char>(Get());
    }
}

} // namespace orvanta::dbtool
