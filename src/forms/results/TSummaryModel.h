// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TSummaryModel: the lines of one summary table (countries or
// organisations) for a table view: name, addresses, occurrences, bytes and
// share, numbers right-aligned. The whole table is replaced at once: it
// holds a few hundred lines, and the order changes as counts grow.
#include "resultfiles/ResultSummary.h"

#include <QAbstractTableModel>
#include <vector>

class TSummaryModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { Name, Addresses, Occurrences, Bytes, Share, ColumnCount };
    TSummaryModel(const QString& nameCaption, QObject* parent = nullptr);

    void SetLines(std::vector<orvanta::resultfiles::SummaryLine>&& lines);
    const orvanta::resultfiles::SummaryLine& Line(int row) const {
        return lines_[static_cast<std::size_t>(row)];
    }
    // The text of a cell as the table shows it.
    QString Text(int row, int column) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    QString nameCaption_;
    std::vector<orvanta::resultfiles::SummaryLine> lines_;
};
