// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The application title names the program in the error report and the About
// window. The program sets none of its own: it is derived from the running
// executable's file name (my.tool gives My, MyTool gives Mytool).
#include <QString>

// The title for an executable at `filePath`: the file name without its
// folder, cut at the first ".", the first character upper-cased and every
// character after it lower-cased.
QString ApplicationTitleFromPath(const QString& filePath);

// The title of the running program.
QString ApplicationTitle();
