// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Before a call that blocks the user-interface thread, the window that will
// show its answer is put on the screen as it stands: otherwise a window
// shown just before stays unpainted (black, or whatever lay there before)
// until the call returns.
class QWidget;

// Waits, taking no user input and for at most a second, until the window
// system shows `window`, then paints it at once.
void PaintNow(QWidget* window);
