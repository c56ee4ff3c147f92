// SPDX-License-Identifier: GPL-3.0-or-later
#include "forms/results/TResultsModel.h"

#include <algorithm>
#include <utility>

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
    TResultRow typed;
    typed.address = item.SubItems.value(0);
    typed_.push_back(std::move(typed));
    endInsertRows();
    ShowLateColumnFor(rows_.size() - 1);
    return row;
}

void TResultsModel::ShowLateColumnFor(std::size_t from) {
    if (lateShown_ || lateHeader_.isEmpty())
        return;
    // Sub-items start at the second column: the late one is sub-item
    // headers_.size() - 1.
    bool fills = false;
    for (std::size_t i = from; i < rows_.size() && !fills; ++i) {
        const TListItem* item = rows_.IfMade(i);
        fills = (!item || Later(*item)) ? typed_[i].bytes.has_value()
                                        : item->SubItems.size() >= headers_.size();
    }
    if (fills)
        ShowLateColumn();
}

void TResultsModel::ShowLateColumn() {
    if (lateShown_ || lateHeader_.isEmpty())
        return;
    const int column = static_cast<int>(headers_.size());
    beginInsertColumns({}, column, column);
    lateShown_ = true;
    endInsertColumns();
}

int TResultsModel::AppendMany(std::vector<TListItem>&& items) {
    const int first = static_cast<int>(rows_.size());
    if (items.empty())
        return first;
    beginInsertRows({}, first, first + static_cast<int>(items.size()) - 1);
    std::vector<TResultRow> typed(items.size());
    for (std::size_t i = 0; i < items.size(); ++i)
        typed[i].address = items[i].SubItems.value(0);
    typed_.append(std::move(typed));
    rows_.append(std::move(items));
    endInsertRows();
    ShowLateColumnFor(static_cast<std::size_t>(first));
    return first;
}

int TResultsModel::AppendRows(std::vector<TResultRow>&& rows, std::vector<TListItem>&& texts) {
    const int first = static_cast<int>(rows_.size());
    if (rows.empty())
        return first;
    beginInsertRows({}, first, first + static_cast<int>(rows.size()) - 1);
    if (texts.size() == rows.size()) {
        rows_.append(std::move(texts));
    } else {
        AppendTextsLater(rows.size());
    }
    typed_.append(std::move(rows));
    endInsertRows();
    ShowLateColumnFor(static_cast<std::size_t>(first));
    return first;
}

void TResultsModel::AppendTextsLater(std::size_t count) {
    // Made when first read (Item): most rows of a long list are never
    // shown, and their texts were most of a row's time and memory.
    rows_.AppendMade(count, [](std::size_t) { return TextsLater(); });
}

int TResultsModel::AppendRuns(TRunRows&& rows) {
    const int first = static_cast<int>(rows_.size());
    if (rows.empty())
        return first;
    const std::size_t count = rows.size();
    auto runs = std::make_shared<const TRunRows>(std::move(rows));
    beginInsertRows({}, first, first + static_cast<int>(count) - 1);
    AppendTextsLater(count);
    typed_.AppendMade(count, [runs](std::size_t at) { return runs->Row(at); });
    runs_.emplace_back(static_cast<std::size_t>(first), runs);
    endInsertRows();
    if (runs->AnyBytes())
        ShowLateColumn();
    return first;
}

const TRunRows* TResultsModel::RunRowsAt(int row, std::size_t& offset) const {
    const auto at = static_cast<std::size_t>(row);
    auto it = std::upper_bound(runs_.begin(), runs_.end(), at,
                               [](std::size_t r, const auto& run) { return r < run.first; });
    if (it == runs_.begin())
        return nullptr;
    --it;
    if (at - it->first >= it->second->size())
        return nullptr;
    offset = at - it->first;
    return it->second.get();
}

const TListItem& TResultsModel::Item(int row) const {
    TListItem& item = rows_[static_cast<std::size_t>(row)];
    if (Later(item))
        item = ResultTexts(typed_[static_cast<std::size_t>(row)], separator_);
    return item;
}

void TResultsModel::SetHostNames(int index, const std::vector<std::pair<int, QString>>& texts) {
    // Rows whose texts are not made yet take the name in their typed
    // values only: their texts will be made from them.
    std::vector<std::pair<int, QString>> made;
    int first = rowCount();
    int last = -1;
    for (const auto& [row, text] : texts) {
        if (row < 0 || row >= rowCount())
            continue;
        typed_[static_cast<std::size_t>(row)].hostName = HostNameFromText(text);
        if (const TListItem* item = rows_.IfMade(static_cast<std::size_t>(row));
            item && !Later(*item)) {
            made.emplace_back(row, text);
        } else if (index >= 0) {
            first = std::min(first, row);
            last = std::max(last, row);
        }
    }
    SetSubItems(index, made);
    if (last >= 0)
        emit dataChanged(this->index(first, index + 1), this->index(last, index + 1),
                         {Qt::DisplayRole});
}

void TResultsModel::SetSubItems(int index, const std::vector<std::pair<int, QString>>& texts) {
    int first = rowCount();
    int last = -1;
    for (const auto& [row, text] : texts) {
        if (row < 0 || row >= rowCount() || index < 0)
            continue;
        Item(row); // its texts made, to be changed
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

void TResultsModel::Clear() {
    if (rows_.empty())
        return;
    beginRemoveRows({}, 0, static_cast<int>(rows_.size()) - 1);
    rows_.clear();
    typed_.clear();
    runs_.clear();
    endRemoveRows();
    if (lateShown_) {
        const int column = static_cast<int>(headers_.size());
        beginRemoveColumns({}, column, column);
        lateShown_ = false;
        endRemoveColumns();
    }
}

int TResultsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int TResultsModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(headers_.size()) + (lateShown_ ? 1 : 0);
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
        section < columnCount())
        return section < headers_.size() ? headers_[section] : lateHeader_;
    if (orientation == Qt::Horizontal && role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
    return {};
}
