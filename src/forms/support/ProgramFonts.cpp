// SPDX-License-Identifier: GPL-3.0-or-later
#include "forms/support/ProgramFonts.h"

#include <QFileInfo>
#include <QFontDatabase>
#include <QFontMetrics>

namespace {
const char* const kTahomaFiles[] = {
    "/usr/share/wine/fonts/tahoma.ttf",
    "/usr/share/wine/fonts/tahomabd.ttf",
};

QFont Tahoma() {
    QFont font(QStringLiteral("Tahoma"));
    font.setStyleHint(QFont::SansSerif);
    return font;
}
} // namespace

void LoadProgramFonts() {
    static bool loaded = false;
    if (loaded)
        return;
    loaded = true;
    if (QFontDatabase::families().contains(QStringLiteral("Tahoma")))
        return;
    for (const char* file : kTahomaFiles) {
        if (QFileInfo::exists(QString::fromLatin1(file)))
            QFontDatabase::addApplicationFont(QString::fromLatin1(file));
    }
}

QFont TahomaCharHeight(int px) {
    QFont font = Tahoma();
    font.setPixelSize(px);
    return font;
}

QFont TahomaCellHeight(int px) {
    QFont font = Tahoma();
    for (int size = px; size > 1; --size) {
        font.setPixelSize(size);
        if (QFontMetrics(font).height() <= px)
            return font;
    }
    return font;
}
