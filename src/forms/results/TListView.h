// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TListView: the report-style results list. Rows have a caption (column 1),
// sub-items (columns 2 onwards) and an icon from the small-icon list; they
// are only ever appended. Grid lines, whole-row and extended selection
// (Shift and Ctrl clicks, Ctrl+A).
//
//     ListView1->SetColumns({{"IP Locations", 250}, ...});
//     ListView1->SetSmallImages(icons);
//     int row = ListView1->Add({caption, {address, lat, lon, host}, 0});
//     int first = ListView1->AddRows(std::move(typedRows)); // texts derived
//     const TResultRow& values = ListView1->Row(first);
//
// Change(kind) is emitted for every change notification of a row: appended,
// its text or icon changed, selected, deselected, focused or unfocused.
// DblClick() is emitted for any double-click in the list, on a row or not.
// A click leaves the list scrolled where it is, so that the second click of
// a double-click lands on the row of the first.
#include "forms/results/ResultRow.h"
#include "forms/results/RunRows.h"

#include <QIcon>
#include <QStringList>
#include <QTableView>
#include <utility>
#include <vector>

class TResultsModel;

// What a change notification is about.
enum class TListChange { Appended, Text, State };

class TListView : public QTableView {
    Q_OBJECT
public:
    explicit TListView(QWidget* parent = nullptr);

    void SetColumns(const std::vector<std::pair<QString, int>>& columns);
    // A last column shown only while a row has a text for it (see
    // TResultsModel::SetLateHeader), `width` pixels wide when it comes.
    void SetLateColumn(const QString& header, int width);
    void SetSmallImages(const QList<QIcon>& icons);

    int Add(const TListItem& item); // returns the new row's index
    // Appends many rows at once; returns the first new row's index.
    int AddMany(std::vector<TListItem>&& items);
    // Appends typed rows at once; returns the first new row's index. Without
    // `texts` the columns are the results list's (ResultTexts, with the
    // decimal separator below); with them, one per row, they are shown as given.
    int AddRows(std::vector<TResultRow>&& rows, std::vector<TListItem>&& texts = {});
    int Add(const TResultRow& row) { return AddRows({row}); }
    // A many-address run's rows, as it made them; returns the first's index.
    int AddRuns(TRunRows&& rows);
    // See TResultsModel::RunRowsAt.
    const TRunRows* RunRowsAt(int row, std::size_t& offset) const;
    void SetDecimalSeparator(QChar separator);
    // Host names that came in: sub-item `index` shows each text, the row's
    // typed host name follows it.
    void SetHostNames(int index, const std::vector<std::pair<int, QString>>& texts);
    void SetSubItems(int index, const std::vector<std::pair<int, QString>>& texts);
    // The selected rows in list order.
    std::vector<int> SelectedRows() const;
    // Removes every row.
    void Clear();
    int Count() const;
    const TListItem& Item(int row) const;
    // The typed values of a row.
    const TResultRow& Row(int row) const;
    // The text shown in a cell (column 0 is the caption).
    QString Text(int row, int column) const;
    // Index of the first selected row, -1 when none.
    int Selected() const;
    // Index of the focused (current) row, -1 when none.
    int ItemFocused() const;
    // Brings the last row into view once the event at hand is done: a
    // scroll in the middle of a click would make the click select the row
    // that has just moved under the pointer. Requests made meanwhile are one.
    void ScrollToEndLater();

signals:
    void Change(TListChange kind);
    void DblClick();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    // Runs a mouse event with both scroll positions kept.
    template <class F> void KeepingScrollPosition(F&& handle);

    TResultsModel* model_;
    bool scrollPending_ = false;
    // The last scroll brought the end into view and nothing moved since.
    bool endPinned_ = false;
};
