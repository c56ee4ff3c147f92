// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TResultsModel: the rows behind TListView, kept in pieces so that
// appending stays cheap however long the list grows. Each row has its typed
// values (TResultRow) and its display texts (TListItem); typed rows added
// without texts get theirs when first asked for (shown, copied, saved), so
// a million rows cost the texts of the few the user looks at.
#include "forms/results/PieceVector.h"
#include "forms/results/ResultRow.h"
#include "forms/results/RunRows.h"

#include <QAbstractTableModel>
#include <QIcon>
#include <memory>
#include <utility>
#include <vector>

class TResultsModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit TResultsModel(QObject* parent = nullptr);

    void SetHeaders(const QStringList& headers);
    // A column after those of SetHeaders that is there only while a row
    // fills it (a capture's bytes): it comes with the first such row and
    // goes when the list is emptied, so lists without it keep their shape.
    void SetLateHeader(const QString& header) { lateHeader_ = header; }
    void SetIcons(const QList<QIcon>& icons);
    // A row given by its texts only; its typed values hold the address
    // (the first sub-item) and nothing else.
    int Append(const TListItem& item);
    // Appends many rows in one insertion; returns the first new row's index.
    int AppendMany(std::vector<TListItem>&& items);
    // Typed rows with their texts; without texts (empty `texts`) the texts
    // are the results list's (ResultTexts with the decimal separator), made
    // when a row's texts are first asked for.
    int AppendRows(std::vector<TResultRow>&& rows, std::vector<TListItem>&& texts = {});
    // A row's place in AppendRows' `texts` whose texts are made when first
    // asked for: filled on the thread that makes the rows, so the window's
    // thread only takes the piece over.
    static TListItem TextsLater() { return {{}, {}, kTextsLater}; }
    // A run's rows as it made them: their whole rows and texts are made
    // when first asked for.
    int AppendRuns(TRunRows&& rows);
    // The run's rows that row `row` is one of, and its index among them;
    // null for a row added otherwise. Reading a run's rows there makes
    // nothing of the list's.
    const TRunRows* RunRowsAt(int row, std::size_t& offset) const;
    void SetDecimalSeparator(QChar separator) { separator_ = separator; }
    // Sets the host name of many rows: sub-item `index` shows the text, the
    // typed row takes the name it stands for (HostNameFromText).
    void SetHostNames(int index, const std::vector<std::pair<int, QString>>& texts);
    // Sets sub-item `index` of many rows (padding a row with empty ones up
    // to it), with one change notice for them all.
    void SetSubItems(int index, const std::vector<std::pair<int, QString>>& texts);
    void Clear();
    const TListItem& Item(int row) const;
    const TResultRow& Row(int row) const { return typed_[static_cast<std::size_t>(row)]; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    // A row whose texts are still to be made from its typed values.
    static constexpr int kTextsLater = -2;
    static bool Later(const TListItem& item) { return item.ImageIndex == kTextsLater; }
    // Kept as appended: a run's piece of rows is taken over whole. Mutable:
    // a row's texts are made when first read. Typed rows added without
    // texts take no memory for them until one of their piece is read.
    mutable PieceVector<TListItem> rows_;
    PieceVector<TResultRow> typed_; // beside rows_, index for index
    // The pieces appended by AppendRuns, by their first row.
    std::vector<std::pair<std::size_t, std::shared_ptr<const TRunRows>>> runs_;
    QChar separator_ = QLatin1Char('.');
    void ShowLateColumnFor(std::size_t from);
    void ShowLateColumn();
    void AppendTextsLater(std::size_t count);
    QStringList headers_;
    QString lateHeader_;
    bool lateShown_ = false;
    QList<QIcon> icons_;
};
