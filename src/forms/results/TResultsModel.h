#pragma once
// TResultsModel: the rows behind TListView, kept in one vector so that
// appending stays cheap however long the list grows.
#include "forms/results/TListView.h"

#include <QAbstractTableModel>

class TResultsModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit TResultsModel(QObject* parent = nullptr);

    void SetHeaders(const QStringList& headers);
    void SetIcons(const QList<QIcon>& icons);
    int Append(const TListItem& item);
    // Appends many rows in one insertion; returns the first new row's index.
    int AppendMany(std::vector<TListItem>&& items);
    // Sets sub-item `index` of many rows (padding a row with empty ones up
    // to it), with one change notice for them all.
    void SetSubItems(int index, const std::vector<std::pair<int, QString>>& texts);
    void Clear();
    const TListItem& Item(int row) const { return rows_[static_cast<std::size_t>(row)]; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    std::vector<TListItem> rows_;
    QStringList headers_;
    QList<QIcon> icons_;
};
