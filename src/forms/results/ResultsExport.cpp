// SPDX-License-Identifier: GPL-3.0-or-later
#include "forms/results/ResultsExport.h"

#include "forms/results/TListView.h"
#include "tabletext/DecimalPoint.h"
#include "tabletext/DelimitedText.h"

#include <string>
#include <vector>

namespace {
// Columns 3 and 4 hold the coordinates (column 1 is the caption).
constexpr int kLatitudeColumn = 2;
constexpr int kLongitudeColumn = 3;

// Every column of the list, also those a row leaves empty (the count of a
// single locate), so that all lines have the same fields.
std::vector<std::string> Texts(const TListItem& row, int columns) {
    std::vector<std::string> texts;
    texts.reserve(static_cast<std::size_t>(columns));
    texts.push_back(row.Caption.toStdString());
    for (int i = 0; i + 1 < columns; ++i)
        texts.push_back(row.SubItems.value(i).toStdString());
    return texts;
}

int Columns(const TListView& list) {
    return list.model()->columnCount();
}
} // namespace

QString RowClipboardText(const TListItem& row, int columns) {
    return QString::fromStdString(orvanta::tabletext::DelimitedLine(Texts(row, columns), '\t'));
}

QString RowsClipboardText(const TListView& list, const std::vector<int>& rows) {
    QString text;
    for (const int row : rows) {
        if (!text.isEmpty())
            text += QLatin1Char('\n');
        text += RowClipboardText(list.Item(row), Columns(list));
    }
    return text;
}

QByteArray ResultsCsv(const TListView& list) {
    using orvanta::tabletext::WithDecimalPoint;
    std::vector<std::string> header;
    const int columns = Columns(list);
    for (int c = 0; c < columns; ++c)
        header.push_back(list.model()->headerData(c, Qt::Horizontal).toString().toStdString());
    std::vector<std::vector<std::string>> rows;
    rows.reserve(static_cast<std::size_t>(list.Count()));
    for (int r = 0; r < list.Count(); ++r) {
        std::vector<std::string> texts = Texts(list.Item(r), columns);
        for (const int c : {kLatitudeColumn, kLongitudeColumn})
            texts[c] = WithDecimalPoint(texts[c]);
        rows.push_back(std::move(texts));
    }
    return QByteArray::fromStdString(orvanta::tabletext::CsvText(header, rows));
}
