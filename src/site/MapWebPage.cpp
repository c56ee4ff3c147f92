// SPDX-License-Identifier: GPL-3.0-or-later
#include "site/MapWebPage.h"

#include <QGuiApplication>
#include <QMessageBox>
#include <QWidget>

TMapWebPage::TMapWebPage(QWebEngineProfile* profile, QWidget* dialogOwner, QObject* parent)
    : QWebEnginePage(profile, parent), FDialogOwner(dialogOwner) {}

void TMapWebPage::javaScriptAlert(const QUrl& /*securityOrigin*/, const QString& msg) {
    QWidget* owner = FDialogOwner ? FDialogOwner->window() : nullptr;
    QMessageBox box(QMessageBox::NoIcon, QGuiApplication::applicationDisplayName(), msg,
                    QMessageBox::Ok, owner);
    box.exec();
}
