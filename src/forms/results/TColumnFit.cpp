// SPDX-License-Identifier: GPL-3.0-or-later
#include "forms/results/TColumnFit.h"

#include <QEvent>
#include <QHeaderView>
#include <QTableView>
#include <algorithm>

namespace {
constexpr int kMinimumColumn = 30;
}

TColumnFit::TColumnFit(QTableView* view, std::vector<int> widths, int minimumFirst)
    : QObject(view), view_(view), wanted_(std::move(widths)), minimumFirst_(minimumFirst) {
    QHeaderView* header = view->horizontalHeader();
    header->setStretchLastSection(false);
    connect(header, &QHeaderView::sectionResized, this,
            [this](int column, int, int width) { Dragged(column, width); });
    connect(header, &QHeaderView::sectionCountChanged, this, [this] { Fit(); });
    view->viewport()->installEventFilter(this);
    Fit();
}

bool TColumnFit::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Resize)
        Fit();
    return QObject::eventFilter(watched, event);
}

void TColumnFit::Dragged(int column, int width) {
    if (fitting_ || column == 0)
        return;
    if (static_cast<std::size_t>(column) < wanted_.size())
        wanted_[static_cast<std::size_t>(column)] = width;
    Fit();
}

void TColumnFit::Fit() {
    const int columns = view_->horizontalHeader()->count();
    if (columns == 0)
        return;
    for (int c = static_cast<int>(wanted_.size()); c < columns; ++c)
        wanted_.push_back(view_->columnWidth(c));
    const int room = view_->viewport()->width();
    int others = 0;
    for (int c = 1; c < columns; ++c)
        if (!view_->isColumnHidden(c))
            others += wanted_[static_cast<std::size_t>(c)];
    // Shrink the others in proportion when the first column would get too little.
    const double scale = others + minimumFirst_ <= room || others == 0
                             ? 1.0
                             : std::max(0.0, static_cast<double>(room - minimumFirst_) / others);
    fitting_ = true;
    int used = 0;
    for (int c = 1; c < columns; ++c) {
        if (view_->isColumnHidden(c))
            continue;
        const int width = std::max(kMinimumColumn,
                                   static_cast<int>(wanted_[static_cast<std::size_t>(c)] * scale));
        view_->setColumnWidth(c, width);
        used += width;
    }
    view_->setColumnWidth(0, std::max(minimumFirst_, room - used));
    fitting_ = false;
}
