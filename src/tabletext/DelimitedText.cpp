// SPDX-License-Identifier: GPL-3.0-or-later
#include "tabletext/DelimitedText.h"

namespace orvanta::tabletext {

std::string QuotedField(std::string_view field, char delimiter) {
    const char special[] = {delimiter, '"', '\r', '\n'};
    if (field.find_first_of(std::string_view(special, sizeof special)) == std::string_view::npos)
        return std::string(field);
    std::string quoted;
    quoted.reserve(field.size() + 2);
    quoted += '"';
    for (const char c : field) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    quoted += '"';
    return quoted;
}

std::string DelimitedLine(const std::vector<std::string>& fields, char delimiter) {
    std::string line;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0)
            line += delimiter;
        line += QuotedField(fields[i], delimiter);
    }
    return line;
}

std::string CsvText(const std::vector<std::string>& header,
                    const std::vector<std::vector<std::string>>& rows) {
    std::string text = DelimitedLine(header, ',') + "\r\n";
    for (const auto& row : rows)
        text += DelimitedLine(row, ',') + "\r\n";
    return text;
}

} // namespace orvanta::tabletext
