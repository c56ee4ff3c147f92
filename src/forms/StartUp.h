// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QStringList>

// The start-up sequence's window set, created once each, in this order,
// before the event loop runs: frmMain (the main window, the only one
// without an owner and so the only taskbar entry), Form1, Form2,
// AboutDialog, Form4, Form5. Each later window is owned by frmMain. An
// error while a window is created is reported and creation goes on.
void CreateForms();

// Opens each file named on the command line (`orvanta FILE...`) in the
// main window as "Open addresses…" opens one: text or capture, told by its
// content. An error is reported per file and the others are still opened.
void OpenFilesAtStart(const QStringList& files);

// Frees the window set (the main window and the windows it owns) and clears
// the instance pointers. Call before the application object ends: the
// browser pages must go before the browser profile does.
void FreeForms();

// The saved result lists (GeoJSON) among the files named on the command
// line, shown before the main window first shows: rows that need no
// database, so its check is skipped. Returns the other files, in order.
QStringList OpenResultFilesAtStart(const QStringList& files);
