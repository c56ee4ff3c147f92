// SPDX-License-Identifier: GPL-3.0-or-later
#include "forms/work/TPrivacyRole.h"

#include "forms/chrome/TFlatTitlebar.h"
#include "forms/results/ResultRow.h"
#include "forms/results/TListView.h"
#include "forms/support/Guard.h"
#include "forms/support/Question.h"
#include "map/ScriptCalls.h"
#include "net/PrivateMode.h"

#include <QAction>
#include <QHBoxLayout>
#include <QLocale>
#include <QMenu>
#include <QPushButton>

namespace {

bool privateForThisRun = false;

const QString kPrivateWords = QStringLiteral("Private mode: nothing leaves this machine");
const QString kOnlineWords = QStringLiteral("Online: street tiles and host names");

QAction* MenuAction(QMenu* menu, const char* name, const QString& caption) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(QLatin1String(name));
    return action;
}

} // namespace

void TPrivacyRole::StartPrivateForThisRun() {
    privateForThisRun = true;
}

TPrivacyRole::TPrivacyRole(const Parts& parts, QObject* parent)
    : QObject(parent), parts_(parts), forThisRun_(privateForThisRun),
      private_(privateForThisRun || settings_.PrivateMode()) {
    orvanta::net::SetPrivateMode(private_);

    parts_.menu->addSeparator();
    LookUpHostNames1 =
        MenuAction(parts_.menu, "LookUpHostNames1", QStringLiteral("Look up host names"));
    // Ctrl+H names the list's selected rows, so it belongs to the list.
    LookUpHostNames1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_H));
    LookUpHostNames1->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    parts_.list->addAction(LookUpHostNames1);
    PastedHostNames1 = MenuAction(parts_.menu, "PastedHostNames1",
                                  QStringLiteral("Look up host names for pasted addresses"));
    PastedHostNames1->setCheckable(true);
    PastedHostNames1->setChecked(settings_.LookUpPastedHostNames());
    PrivateMode1 = MenuAction(parts_.menu, "PrivateMode1", QStringLiteral("Private mode"));
    PrivateMode1->setCheckable(true);
    PrivateMode1->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_P));
    PrivateMode1->setShortcutContext(Qt::WindowShortcut);
    parts_.window->addAction(PrivateMode1);

    // The strip's words, centred, are the switch; the rest of the strip
    // still drags the window.
    PrivacyStrip1 = new QPushButton(parts_.strip);
    PrivacyStrip1->setObjectName(QStringLiteral("PrivacyStrip1"));
    PrivacyStrip1->setFlat(true);
    PrivacyStrip1->setCursor(Qt::PointingHandCursor);
    PrivacyStrip1->setFocusPolicy(Qt::NoFocus);
    PrivacyStrip1->setToolTip(QStringLiteral("Click to switch private mode"));
    PrivacyStrip1->setStyleSheet(QStringLiteral(
        "QPushButton { color: white; background: transparent; border: none; padding: 0 12px; }"
        "QPushButton:hover { text-decoration: underline; }"));
    auto* layout = new QHBoxLayout(parts_.strip);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addStretch();
    layout->addWidget(PrivacyStrip1);
    layout->addStretch();

    connect(PrivateMode1, &QAction::triggered, this,
            Guarded([this] { SetPrivateMode(PrivateMode1->isChecked()); }));
    connect(PrivacyStrip1, &QPushButton::clicked, this,
            Guarded([this] { SetPrivateMode(!private_); }));
    connect(PastedHostNames1, &QAction::toggled, this,
            Guarded([this](bool on) { settings_.SetLookUpPastedHostNames(on); }));
    connect(LookUpHostNames1, &QAction::triggered, this,
            Guarded([this] { LookUpHostNames1Click(); }));
    ShowMode();
}

bool TPrivacyRole::NamesForRuns() const {
    return !private_ && PastedHostNames1->isChecked();
}

void TPrivacyRole::SetPrivateMode(bool on) {
    if (on != private_) {
        private_ = on;
        // First the switch every lookup looks at, so nothing more is asked
        // from here on; then what is under way is dropped.
        orvanta::net::SetPrivateMode(on);
        if (on && parts_.stopNames)
            parts_.stopNames(QString::fromLatin1(kNotLookedUp));
        if (parts_.postToMap)
            parts_.postToMap(orvanta::map::privateModeCall(on));
        if (!forThisRun_)
            settings_.SetPrivateMode(on);
    }
    ShowMode();
}

void TPrivacyRole::ShowMode() {
    PrivateMode1->setChecked(private_);
    LookUpHostNames1->setEnabled(!private_);
    const QString& words = private_ ? kPrivateWords : kOnlineWords;
    PrivacyStrip1->setText(words);
    PrivacyStrip1->setAccessibleName(words);
}

void TPrivacyRole::LookUpHostNames1Click() {
    if (private_ || !parts_.lookUpNames)
        return;
    const std::vector<int> rows = parts_.list->SelectedRows();
    if (rows.empty())
        return;
    if (rows.size() > kAskAbove &&
        !AskYesNo(QStringLiteral("Look up the host names of %1 rows?\n\nThis sends %1 reverse "
                                 "queries to the system's resolver, and through it to the name "
                                 "servers of whoever runs the addresses.")
                      .arg(QLocale().toString(static_cast<qulonglong>(rows.size())))))
        return;
    parts_.lookUpNames(rows);
}
