#include "forms/ResultsExport.h"

#include "forms/TListView.h"
#include "tabletext/DecimalPoint.h"
#include "tabletext/DelimitedText.h"

#include <string>
#include <vector>

namespace {
constexpr int kColumns = 6;
// Columns 3 and 4 hold the coordinates (column 1 is the caption).
constexpr int kLatitudeColumn = 2;
constexpr int kLongitudeColumn = 3;

std::vector<std::string> Texts(const TListItem& row) {
    std::vector<std::string> texts;
    texts.reserve(kColumns);
    texts.push_back(row.Caption.toStdString());
    for (int i = 0; i + 1 < kColumns; ++i)
        texts.push_back(row.SubItems.value(i).toStdString());
    return texts;
}
} // namespace

QString RowClipboardText(const TListItem& row) {
    return QString::fromStdString(orvanta::tabletext::DelimitedLine(Texts(row), '\t'));
}

QByteArray ResultsCsv(const TListView& list) {
    using orvanta::tabletext::WithDecimalPoint;
    std::vector<std::string> header;
    for (int c = 0; c < kColumns; ++c)
        header.push_back(list.model()->headerData(c, Qt::Horizontal).toString().toStdString());
    std::vector<std::vector<std::string>> rows;
    rows.reserve(static_cast<std::size_t>(list.Count()));
    for (int r = 0; r < list.Count(); ++r) {
        std::vector<std::string> texts = Texts(list.Item(r));
        for (const int c : {kLatitudeColumn, kLongitudeColumn})
            texts[c] = WithDecimalPoint(texts[c]);
        rows.push_back(std::move(texts));
    }
    return QByteArray::fromStdString(orvanta::tabletext::CsvText(header, rows));
}
