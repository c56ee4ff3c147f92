// SPDX-License-Identifier: GPL-3.0-or-later
#include "forms/results/TListView.h"

#include "forms/results/TResultsModel.h"

#include <QHeaderView>
#include <QMouseEvent>
#include <QScrollBar>
#include <algorithm>

TListView::TListView(QWidget* parent) : QTableView(parent), model_(new TResultsModel(this)) {
    setModel(model_);
    setShowGrid(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    setIconSize({16, 16});
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(19);
    horizontalHeader()->setStretchLastSection(false);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSectionsClickable(false);

    connect(model_, &QAbstractItemModel::rowsInserted, this,
            [this] { emit Change(TListChange::Appended); });
    connect(model_, &QAbstractItemModel::dataChanged, this,
            [this] { emit Change(TListChange::Text); });
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { emit Change(TListChange::State); });
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this] { emit Change(TListChange::State); });
    // The first vertical scroll bar can bring a horizontal one with it,
    // after the scroll to the end: the end stays in view until the user
    // scrolls elsewhere.
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this,
            [this](int value) { endPinned_ = value == verticalScrollBar()->maximum(); });
    connect(verticalScrollBar(), &QScrollBar::rangeChanged, this, [this](int, int maximum) {
        if (endPinned_)
            verticalScrollBar()->setValue(maximum);
    });
}

void TListView::SetColumns(const std::vector<std::pair<QString, int>>& columns) {
    QStringList headers;
    for (const auto& c : columns)
        headers << c.first;
    model_->SetHeaders(headers);
    for (std::size_t i = 0; i < columns.size(); ++i)
        setColumnWidth(static_cast<int>(i), columns[i].second);
}

void TListView::SetLateColumn(const QString& header, int width) {
    model_->SetLateHeader(header);
    connect(model_, &QAbstractItemModel::columnsInserted, this,
            [this, width](const QModelIndex&, int first, int) { setColumnWidth(first, width); });
}

void TListView::SetSmallImages(const QList<QIcon>& icons) {
    model_->SetIcons(icons);
}

int TListView::Add(const TListItem& item) {
    return model_->Append(item);
}

int TListView::AddMany(std::vector<TListItem>&& items) {
    return model_->AppendMany(std::move(items));
}

int TListView::AddRows(std::vector<TResultRow>&& rows, std::vector<TListItem>&& texts) {
    return model_->AppendRows(std::move(rows), std::move(texts));
}

int TListView::AddRuns(TRunRows&& rows) {
    return model_->AppendRuns(std::move(rows));
}

const TRunRows* TListView::RunRowsAt(int row, std::size_t& offset) const {
    return model_->RunRowsAt(row, offset);
}

void TListView::SetDecimalSeparator(QChar separator) {
    model_->SetDecimalSeparator(separator);
}

void TListView::SetHostNames(int index, const std::vector<std::pair<int, QString>>& texts) {
    model_->SetHostNames(index, texts);
}

void TListView::SetSubItems(int index, const std::vector<std::pair<int, QString>>& texts) {
    model_->SetSubItems(index, texts);
}

std::vector<int> TListView::SelectedRows() const {
    std::vector<int> rows;
    for (const QModelIndex& index : selectionModel()->selectedRows())
        rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

void TListView::Clear() {
    model_->Clear();
}

int TListView::Count() const {
    return model_->rowCount();
}

const TListItem& TListView::Item(int row) const {
    return model_->Item(row);
}

const TResultRow& TListView::Row(int row) const {
    return model_->Row(row);
}

QString TListView::Text(int row, int column) const {
    const TListItem& item = model_->Item(row);
    return column == 0 ? item.Caption : item.SubItems.value(column - 1);
}

int TListView::Selected() const {
    // From the selection's ranges: listing every selected row would cost a
    // walk over the whole list after Ctrl+A, at every change of a row.
    int first = -1;
    for (const QItemSelectionRange& range : selectionModel()->selection())
        if (first < 0 || range.top() < first)
            first = range.top();
    return first;
}

int TListView::ItemFocused() const {
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.row() : -1;
}

void TListView::ScrollToEndLater() {
    if (scrollPending_)
        return;
    scrollPending_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            scrollPending_ = false;
            scrollToBottom();
            endPinned_ = true;
        },
        Qt::QueuedConnection);
}

void TListView::mouseMoveEvent(QMouseEvent* event) {
    // Moving with a button held selects nothing, as in a report list; the
    // row chosen by the press stays chosen.
    if (event->buttons() != Qt::NoButton)
        return;
    QTableView::mouseMoveEvent(event);
}

template <class F> void TListView::KeepingScrollPosition(F&& handle) {
    // The view brings a partly shown row fully into view when it becomes
    // current, a whole row at a time; the pointer would then lie on the
    // next row for the second click.
    const int x = horizontalScrollBar()->value();
    const int y = verticalScrollBar()->value();
    handle();
    horizontalScrollBar()->setValue(x);
    verticalScrollBar()->setValue(y);
}

void TListView::mousePressEvent(QMouseEvent* event) {
    // A press below the last row deselects every row, as in a report list;
    // the focused row stays.
    if (!indexAt(event->position().toPoint()).isValid()) {
        selectionModel()->clearSelection();
        return;
    }
    KeepingScrollPosition([&] { QTableView::mousePressEvent(event); });
}

void TListView::mouseDoubleClickEvent(QMouseEvent* event) {
    KeepingScrollPosition([&] { QTableView::mouseDoubleClickEvent(event); });
    emit DblClick();
}
