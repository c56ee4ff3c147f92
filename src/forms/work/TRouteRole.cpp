// SPDX-License-Identifier: GPL-3.0-or-later
#include "forms/work/TRouteRole.h"

#include "forms/results/TListView.h"
#include "forms/support/Guard.h"

#include <QAction>
#include <QShortcut>

TRouteRole::TRouteRole(const Parts& parts, QObject* parent) : QObject(parent), parts_(parts) {
    connect(parts_.command, &QAction::triggered, this, Guarded([this] { TraceFocusedRow(); }));
    auto* shortcut = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_T), parts_.window);
    shortcut->setObjectName(QStringLiteral("TraceRouteShortcut"));
    connect(shortcut, &QShortcut::activated, this, Guarded([this] { TraceCurrentAddress(); }));
}

void TRouteRole::TraceFocusedRow() {
    const int focused = parts_.list->ItemFocused();
    if (focused >= 0)
        parts_.trace(parts_.list->Row(focused).address);
}

void TRouteRole::TraceCurrentAddress() {
    if (const std::optional<QString> address = parts_.currentAddress())
        parts_.trace(*address);
}
