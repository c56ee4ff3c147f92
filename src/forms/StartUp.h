#pragma once
// The start-up sequence's window set, created once each, in this order,
// before the event loop runs: frmMain (the main window, the only one
// without an owner and so the only taskbar entry), Form1, Form2,
// AboutDialog, Form4, Form5. Each later window is owned by frmMain. An
// error while a window is created is reported and creation goes on.
#include <QStringList>

void CreateForms();

// Frees the window set (the main window and the windows it owns) and clears
// the instance pointers. Call before the application object ends: the
// browser pages must go before the browser profile does.
void FreeForms();

// Files named on the command line, opened as "Open addresses…" opens them:
// result files come back as rows at once, others are read for addresses.
// An error is reported and the next file is opened.
void OpenFilesAtStart(const QStringList& paths);
