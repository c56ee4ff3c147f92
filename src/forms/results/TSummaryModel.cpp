// SPDX-License-Identifier: GPL-3.0-or-later
#include "forms/results/TSummaryModel.h"

TSummaryModel::TSummaryModel(const QString& nameCaption, QObject* parent)
    : QAbstractTableModel(parent), nameCaption_(nameCaption) {}

void TSummaryModel::SetLines(std::vector<orvanta::resultfiles::SummaryLine>&& lines) {
    beginResetModel();
    lines_ = std::move(lines);
    endResetModel();
}

QString TSummaryModel::Text(int row, int column) const {
    const auto& line = Line(row);
    switch (column) {
    case Name:
        return QString::fromStdString(line.name);
    case Addresses:
        return QString::number(line.addresses);
    case Occurrences:
        return QString::number(line.occurrences);
    case Bytes:
        return line.bytes ? QString::number(*line.bytes) : QString();
    case Share:
        return QString::number(line.share, 'f', 1) + QStringLiteral(" %");
    default:
        return {};
    }
}

int TSummaryModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(lines_.size());
}

int TSummaryModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant TSummaryModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid())
        return {};
    if (role == Qt::DisplayRole)
        return Text(index.row(), index.column());
    if (role == Qt::TextAlignmentRole && index.column() != Name)
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    return {};
}

QVariant TSummaryModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
    case Name:
        return nameCaption_;
    case Addresses:
        return QStringLiteral("Addresses");
    case Occurrences:
        return QStringLiteral("Occurrences");
    case Bytes:
        return QStringLiteral("Bytes");
    case Share:
        return QStringLiteral("Share");
    default:
        return {};
    }
}
