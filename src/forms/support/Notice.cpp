// SPDX-License-Identifier: GPL-3.0-or-later
#include "forms/support/Notice.h"

#include "forms/support/AppTitle.h"

#include <QMessageBox>

namespace {
std::function<void(const QString&)>& Sink() {
    static std::function<void(const QString&)> sink;
    return sink;
}
} // namespace

void ShowNotice(const QString& message) {
    if (Sink()) {
        Sink()(message);
        return;
    }
    QMessageBox box(QMessageBox::Information, ApplicationTitle(), message, QMessageBox::Ok);
    box.setObjectName(QStringLiteral("Notice"));
    box.exec();
}

void SetNoticeSink(std::function<void(const QString&)> sink) {
    Sink() = std::move(sink);
}
