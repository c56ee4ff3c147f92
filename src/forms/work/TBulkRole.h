// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TBulkRole: many addresses at once in the main window. A pasted, dropped
// or opened text becomes one row per distinct address, with how often it
// occurred, and one marker per located address in the map's layer of many
// places. The reading and the lookups run on a thread of their own and the
// host names in the background, so the window answers throughout.
//
// The role adds "Paste addresses" (Ctrl+V in the list), "Open addresses…"
// (Ctrl+O) and "Stop" (Esc, while a run goes on) to the list's popup menu,
// and takes drops on the window. It knows the window only through Parts.
#include <QObject>
#include <QString>
#include <deque>
#include <functional>
#include <string>
#include <utility>
#include <vector>

class QAction;
class QMenu;
class QProgressBar;
class QWidget;
class THostResolver;
class TBulkHostNames;
class TBulkRun;
class TListView;
class TMapLayers;
struct TBulkBatch;

class TBulkRole : public QObject {
    Q_OBJECT
public:
    struct Parts {
        QWidget* window;        // takes drops and the shortcuts; parent of the dialogs
        QWidget* browser;       // leaves drops to the window; may be null
        QMenu* menu;            // the list's popup menu
        TListView* list;        // where the rows go
        QProgressBar* progress; // the run's progress
        TMapLayers* layers;
        std::function<QChar()> decimalSeparator;
        std::function<THostResolver*()> hostResolver; // null: the system's
        // Whether a run's rows get host names as they come; unset: they do.
        // Rows that do not read "Not looked up" until LookUpNames.
        std::function<bool()> namesForRuns = {};
    };
    explicit TBulkRole(const Parts& parts, QObject* parent = nullptr);

    QAction* Paste1;
    QAction* Open1;
    QAction* Stop1;

    void Paste1Click();
    void Open1Click(); // asks for a file name, then LocateAddressesInFile
    void Stop1Click(); // Esc: a capture keeps what was counted
    void LocateAddressesInText(const QString& text);
    // A text file, or a packet capture (told by its first bytes): its
    // endpoints with their packets and bytes, no host names asked for.
    void LocateAddressesInFile(const QString& path);
    bool Running() const;
    // Host names of a run's rows still waiting or under way.
    std::size_t NamesPending() const;
    // Ends the run and drops what waits, as the list is emptied.
    void Stop();
    // Makes `row` the list's selected and current row (a marker's click).
    void SelectRow(int row);
    // Looks up the host names of `rows` in the background, bounded as a
    // run's are; their cells are empty while under way.
    void LookUpNames(const std::vector<int>& rows);
    // Stops every host-name lookup; the rows that waited read `text`.
    void StopNames(const QString& text);
    // Asked first for every file opened, dropped or named at start: true
    // when it took the file itself (a result file), so it is no log.
    std::function<bool(const QString& path)> onFile;
    // Before each piece of a run's rows reaches the list: how many rows
    // the run has still to bring, this piece's included.
    std::function<void(std::size_t rows)> onRowsComing;

private:
    void Rows(TBulkBatch&& batch);
    void Finished(int outcome, const QString& error);

    Parts parts_;
    TBulkRun* run_;
    TBulkHostNames* names_;
    // Rows whose host names are asked once the run's rows are all in: a
    // million reverse lookups would otherwise contend with the run itself.
    // Kept in the run's pieces (first row, addresses), handed over whole.
    std::vector<std::pair<int, std::vector<std::string>>> namesLater_;
    std::size_t namesLaterCount_ = 0; // addresses in namesLater_
};
