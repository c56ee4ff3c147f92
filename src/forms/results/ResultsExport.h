// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The results list as text, for the clipboard and for files. Texts go out
// as UTF-8; fields are quoted as RFC 4180 quotes CSV.
#include <QByteArray>
#include <QString>
#include <vector>

class TListView;
struct TListItem;

// The row's texts in its list's `columns` (location line, address,
// latitude, longitude, host name, organisation, count) as one tab-separated line without
// a line end.
QString RowClipboardText(const TListItem& row, int columns);

// The given rows, one tab-separated line each, joined by line feeds (a
// single row is one line without a line end).
QString RowsClipboardText(const TListView& list, const std::vector<int>& rows);

// The whole list as a CSV document: a header line of the column captions,
// then one line per row in list order, coordinates with a "." decimal point
// whatever separator the list shows.
QByteArray ResultsCsv(const TListView& list);
