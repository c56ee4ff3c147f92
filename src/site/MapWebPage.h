// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The browser page that hosts the map: its script alerts show as message
// boxes owned by the window that holds the map.

#include <QPointer>
#include <QWebEnginePage>

class QWidget;

class TMapWebPage : public QWebEnginePage {
    Q_OBJECT
public:
    TMapWebPage(QWebEngineProfile* profile, QWidget* dialogOwner, QObject* parent = nullptr);

protected:
    void javaScriptAlert(const QUrl& securityOrigin, const QString& msg) override;

private:
    QPointer<QWidget> FDialogOwner;
};
