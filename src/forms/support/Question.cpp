// SPDX-License-Identifier: GPL-3.0-or-later
#include "forms/support/Question.h"

#include "forms/support/AppTitle.h"

#include <QMessageBox>

namespace {
std::function<bool(const QString&)>& Sink() {
    static std::function<bool(const QString&)> sink;
    return sink;
}
} // namespace

bool AskYesNo(const QString& question) {
    if (Sink())
        return Sink()(question);
    QMessageBox box(QMessageBox::Question, ApplicationTitle(), question,
                    QMessageBox::Yes | QMessageBox::No);
    box.setObjectName(QStringLiteral("Question"));
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

void SetQuestionSink(std::function<bool(const QString&)> sink) {
    Sink() = std::move(sink);
}
