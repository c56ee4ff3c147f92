// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Work the window waits for only in the end (a run over a big log, the
// map's clusters) yields the processor to the window's thread: on a
// machine with two cores and a browser engine beside it, a run that
// competes as an equal leaves the window without a core for tens of
// milliseconds at a time. A lower priority costs the run nothing when a
// core is free.
//
//     std::thread([] { YieldToWindow(); Work(); });
void YieldToWindow();
