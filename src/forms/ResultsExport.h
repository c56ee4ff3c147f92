#pragma once
// The results list as text, for the clipboard and for files. Texts go out
// as UTF-8; fields are quoted as RFC 4180 quotes CSV.
#include <QByteArray>
#include <QString>

class TListView;
struct TListItem;

// The row's six texts (location line, address, latitude, longitude, host
// name, organisation) as one tab-separated line without a line end.
QString RowClipboardText(const TListItem& row);

// The whole list as a CSV document: a header line of the column captions,
// then one line per row in list order, coordinates with a "." decimal point
// whatever separator the list shows.
QByteArray ResultsCsv(const TListView& list);
