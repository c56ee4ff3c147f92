// SPDX-License-Identifier: GPL-3.0-or-later
#include "forms/support/FileReplace.h"

#include <QSaveFile>
#include <stdexcept>

void ReplaceFile(const QString& path, const QByteArray& bytes) {
    QSaveFile file(path);
    // The temporary file lies beside the target, so the rename stays on one
    // file system; QSaveFile removes it again when anything fails.
    const bool written = file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
    if (!written || !file.commit())
        throw std::runtime_error(QStringLiteral("Cannot create file \"%1\". %2")
                                     .arg(path, file.errorString())
                                     .toStdString());
}
