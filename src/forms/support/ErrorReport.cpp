// SPDX-License-Identifier: GPL-3.0-or-later
#include "forms/support/ErrorReport.h"

#include "forms/support/AppTitle.h"

#include <QMessageBox>

namespace {
std::function<void(const QString&)>& Sink() {
    static std::function<void(const QString&)> sink;
    return sink;
}
} // namespace

QString ErrorReportText(const QString& message) {
    if (!message.isEmpty() && message.back() > QLatin1Char('.'))
        return message + QLatin1Char('.');
    return message;
}

void ShowErrorReport(const QString& message) {
    if (Sink()) {
        Sink()(message);
        return;
    }
    QMessageBox box(QMessageBox::Critical, ApplicationTitle(), ErrorReportText(message),
                    QMessageBox::Ok);
    box.setObjectName(QStringLiteral("ErrorReport"));
    box.exec();
}

void SetErrorReportSink(std::function<void(const QString&)> sink) {
    Sink() = std::move(sink);
}
