// SPDX-License-Identifier: GPL-3.0-or-later
#include "forms/support/FileVersion.h"

#include "forms/support/BuildInfo.h"
#include "validation/VersionBlock.h"

#include <QFile>
#include <algorithm>

namespace {

constexpr std::uint32_t kMS = (ORVANTA_VERSION_MAJOR << 16) | ORVANTA_VERSION_MINOR;
constexpr std::uint32_t kLS = (ORVANTA_VERSION_PATCH << 16) | ORVANTA_VERSION_TWEAK;

// The program's own block, kept by the compiler and the linker.
[[gnu::used]] constexpr std::array<unsigned char, kVersionBlockSize> kEmbedded =
    MakeVersionBlock(kMS, kLS);

QString Pair(std::uint32_t word) {
    return QStringLiteral("%1.%2").arg(word >> 16).arg(word & 0xFFFF);
}

} // namespace

const void* EmbeddedVersionBlock() {
    return kEmbedded.data();
}

bool ReadFileVersion(const QString& path, QString& version, QString& build) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    // Scan in chunks that overlap by one block less a byte, so a block that
    // straddles two reads is still seen whole, and none is seen twice.
    constexpr qint64 kChunk = 1 << 20;
    QByteArray window;
    while (true) {
        const QByteArray more = file.read(kChunk);
        window.append(more);
        const std::optional<FileVersionWords> found =
            FindVersionBlock(std::string_view(window.constData(), window.size()));
        if (found) {
            version = Pair(found->ms);
            build = Pair(found->ls);
            return true;
        }
        if (more.isEmpty())
            return false;
        window = window.right(std::min<qsizetype>(window.size(), kVersionBlockSize - 1));
    }
}
