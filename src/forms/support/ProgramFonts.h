// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The windows are drawn in Tahoma. Debian's fonts-wine ships a free Tahoma
// outside fontconfig's folders, so LoadProgramFonts registers it once at
// start-up; where it is missing the system's sans-serif stands in.
#include <QFont>

void LoadProgramFonts();

// Tahoma whose em (character height, without internal leading) is `px` pixels.
QFont TahomaCharHeight(int px);

// Tahoma whose cell (ascent plus descent) is at most `px` pixels, the
// largest such size.
QFont TahomaCellHeight(int px);
