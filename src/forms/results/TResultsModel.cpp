#include "forms/results/TResultsModel.h"

#include <algorithm>

TResultsModel::TResultsModel(QObject* parent) : QAbstractTableModel(parent) {}

void TResultsModel::SetHeaders(const QStringList& headers) {
    beginResetModel();
    headers_ = headers;
    endResetModel();
}

void TResultsModel::SetIcons(const QList<QIcon>& icons) {
    icons_ = icons;
}

int TResultsModel::Append(const TListItem& item) {
    const int row = static_cast<int>(rows_.size());
    beginInsertRows({}, row, row);
    rows_.push_back(item);
    typed_.emplace_back();
    endInsertRows();
    return row;
}

int TResultsModel::AppendMany(std::vector<TListItem>&& items) {
    const int first = static_cast<int>(rows_.size());
    if (items.empty())
        return first;
    beginInsertRows({}, first, first + static_cast<int>(items.size()) - 1);
    typed_.resize(typed_.size() + items.size());
    rows_.insert(rows_.end(), std::make_move_iterator(items.begin()),
                 std::make_move_iterator(items.end()));
    endInsertRows();
    return first;
}

int TResultsModel::AppendRows(std::vector<TResultRow>&& rows, std::vector<TListItem>&& texts) {
    const int first = static_cast<int>(rows_.size());
    if (rows.empty())
        return first;
    if (texts.size() != rows.size()) {
        texts.clear();
        texts.reserve(rows.size());
        for (const TResultRow& row : rows)
            texts.push_back(ResultTexts(row, separator_));
    }
    beginInsertRows({}, first, first + static_cast<int>(rows.size()) - 1);
    rows_.insert(rows_.end(), std::make_move_iterator(texts.begin()),
                 std::make_move_iterator(texts.end()));
    typed_.reserve(typed_.size() + rows.size());
    for (TResultRow& row : rows)
        typed_.push_back(std::make_unique<TResultRow>(std::move(row)));
    endInsertRows();
    return first;
}

void TResultsModel::SetHostNames(int index, const std::vector<std::pair<int, QString>>& texts) {
    for (const auto& [row, text] : texts)
        if (row >= 0 && row < rowCount())
            Typed(row).hostName = HostNameFromText(text);
    SetSubItems(index, texts);
}

void TResultsModel::SetSubItems(int index, const std::vector<std::pair<int, QString>>& texts) {
    int first = rowCount();
    int last = -1;
    for (const auto& [row, text] : texts) {
        if (row < 0 || row >= rowCount() || index < 0)
            continue;
        QStringList& subItems = rows_[static_cast<std::size_t>(row)].SubItems;
        while (subItems.size() <= index)
            subItems << QString();
        subItems[index] = text;
        first = std::min(first, row);
        last = std::max(last, row);
    }
    if (last >= 0)
        emit dataChanged(this->index(first, index + 1), this->index(last, index + 1),
                         {Qt::DisplayRole});
}

TResultRow& TResultsModel::Typed(int row) const {
    std::unique_ptr<TResultRow>& typed = typed_[static_cast<std::size_t>(row)];
    if (!typed) {
        typed = std::make_unique<TResultRow>();
        typed->address = rows_[static_cast<std::size_t>(row)].SubItems.value(0);
    }
    return *typed;
}

const TResultRow& TResultsModel::Row(int row) const {
    return Typed(row);
}

void TResultsModel::Clear() {
    if (rows_.empty())
        return;
    beginRemoveRows({}, 0, static_cast<int>(rows_.size()) - 1);
    rows_.clear();
    typed_.clear();
    endRemoveRows();
}

int TResultsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int TResultsModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(headers_.size());
}

QVariant TResultsModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const TListItem& item = Item(index.row());
    const int column = index.column();
    if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole) {
        if (column == 0)
            return item.Caption;
        return column - 1 < item.SubItems.size() ? item.SubItems[column - 1] : QString();
    }
    if (role == Qt::DecorationRole && column == 0 && item.ImageIndex >= 0 &&
        item.ImageIndex < icons_.size())
        return icons_[item.ImageIndex];
    return {};
}

QVariant TResultsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
        section < headers_.size())
        return headers_[section];
    if (orientation == Qt::Horizontal && role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
    return {};
}
