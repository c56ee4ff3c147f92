// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TResultsRole: the results that outlive the run, in the main window. It
// keeps the summary per country and per organisation as rows arrive (for
// the Summary window and the open map's shaded countries), saves the list
// as CSV, GeoJSON or KML, and opens a GeoJSON file as rows, with their
// places on the map, without a lookup and without a database.
//
// The role adds "Summary" (Ctrl+I) to the list's popup menu and takes over
// the window's "Save list as…" (Ctrl+S); of the files the Bulk role is
// given to open (Ctrl+O, drops, the command line) it takes the result
// files. It knows the window only through Parts.
#include "forms/results/SummaryTally.h"
#include "resultfiles/ResultSummary.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <functional>
#include <string>

class QAction;
class QMenu;
class QTimer;
class QWidget;
class TBulkRole;
class TListView;
class TMapLayers;

class TResultsRole : public QObject {
    Q_OBJECT
public:
    struct Parts {
        QWidget* window;    // takes the shortcuts; parent of the dialogs
        QMenu* menu;        // the list's popup menu
        TListView* list;    // the rows summed up, saved and restored
        TMapLayers* layers; // the places of restored rows
        TBulkRole* bulk;    // hands over the result files opened or dropped
        QAction* saveAs;    // the window's "Save list as…"
        std::function<QChar()> decimalSeparator;
        std::function<void()> showSummary; // opens the Summary window
    };
    TResultsRole(const Parts& parts, QObject* parent = nullptr);

    QAction* Summary1;

    // The summary of every row in the list; rows that arrived but were not
    // added up yet are added first.
    const orvanta::resultfiles::ResultSummary& Summary();
    void Summary1Click();
    // Asks for a file name and a format, then SaveList.
    void SaveAsClick();
    // Every row to `path`: GeoJSON for ".geojson" and ".json", KML for
    // ".kml", CSV for anything else; through a temporary file, so a failure
    // leaves an old file untouched. Throws with the error report's text.
    void SaveList(const QString& path);
    // Whether the file at `path` is a GeoJSON document, by its first bytes.
    static bool IsResultFile(const QString& path);
    // Adds the rows of a GeoJSON file to the list, with their places on the
    // map; all or none. Throws with the error report's text.
    void OpenResultFile(const QString& path);
    // Selects every row of the line `key` of the Countries (`countries`
    // true) or the Organizations table.
    void SelectRowsOf(bool countries, const std::string& key);
    // The list was emptied.
    void Clear();

signals:
    // The summary changed (rows arrived, or the list was emptied).
    void SummaryChanged();

private:
    void RowsAdded(int first, int last);
    // Adds up waiting rows for a few milliseconds, or all of them: a run's
    // million rows are added up a slice at a time, so the window keeps
    // answering while they are.
    void TallySome(bool all);
    void SendCountries();

    Parts parts_;
    orvanta::resultfiles::ResultSummary summary_;
    TSummaryTally tally_{summary_};
    int tallied_ = 0; // rows before it are in the summary
    QTimer* tallyLater_;
    QElapsedTimer toldAt_; // when the summary's readers were told last
    // The shaded countries follow the rows once a run or a file has
    // brought rows with counts; single locates alone leave the map as it is.
    bool shading_ = false;
    QTimer* countriesLater_;
};
