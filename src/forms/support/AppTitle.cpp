// SPDX-License-Identifier: GPL-3.0-or-later
#include "forms/support/AppTitle.h"

#include <QCoreApplication>
#include <QFileInfo>

QString ApplicationTitleFromPath(const QString& filePath) {
    QString name = QFileInfo(filePath).fileName();
    const qsizetype dot = name.indexOf(QLatin1Char('.'));
    if (dot >= 0)
        name.truncate(dot);
    if (!name.isEmpty())
        name = name.left(1).toUpper() + name.mid(1).toLower();
    return name;
}

QString ApplicationTitle() {
    return ApplicationTitleFromPath(QCoreApplication::applicationFilePath());
}
