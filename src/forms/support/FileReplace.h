// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Writing a file whole: the bytes go to a temporary file beside the target,
// which is then renamed into place, so a failure on the way leaves any
// existing file as it was and no half-written one behind.
#include <QByteArray>
#include <QString>

// Throws std::runtime_error "Cannot create file "<path>". <reason>" when the
// folder does not exist or cannot be written, or the write or the rename
// fails.
void ReplaceFile(const QString& path, const QByteArray& bytes);
