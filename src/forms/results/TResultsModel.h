#pragma once
// TResultsModel: the rows behind TListView, kept in vectors so that
// appending stays cheap however long the list grows. Each row has its typed
// values (TResultRow) and its display texts (TListItem).
#include "forms/results/ResultRow.h"

#include <QAbstractTableModel>
#include <QIcon>
#include <memory>
#include <vector>

class TResultsModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit TResultsModel(QObject* parent = nullptr);

    void SetHeaders(const QStringList& headers);
    void SetIcons(const QList<QIcon>& icons);
    // A row given by its texts only; its typed values hold the address
    // (the first sub-item) and nothing else.
    int Append(const TListItem& item);
    // Appends many rows in one insertion; returns the first new row's index.
    int AppendMany(std::vector<TListItem>&& items);
    // Typed rows with their texts; without texts (empty `texts`) the texts
    // are the results list's (ResultTexts with the decimal separator).
    int AppendRows(std::vector<TResultRow>&& rows, std::vector<TListItem>&& texts = {});
    void SetDecimalSeparator(QChar separator) { separator_ = separator; }
    // Sets the host name of many rows: sub-item `index` shows the text, the
    // typed row takes the name it stands for (HostNameFromText).
    void SetHostNames(int index, const std::vector<std::pair<int, QString>>& texts);
    // Sets sub-item `index` of many rows (padding a row with empty ones up
    // to it), with one change notice for them all.
    void SetSubItems(int index, const std::vector<std::pair<int, QString>>& texts);
    void Clear();
    const TListItem& Item(int row) const { return rows_[static_cast<std::size_t>(row)]; }
    const TResultRow& Row(int row) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    std::vector<TListItem> rows_;
    // Beside rows_, index for index; a row added by its texts alone gets
    // its typed values when first asked, so plain appends stay cheap.
    mutable std::vector<std::unique_ptr<TResultRow>> typed_;
    TResultRow& Typed(int row) const;
    QChar separator_ = QLatin1Char('.');
    QStringList headers_;
    QList<QIcon> icons_;
};
