#pragma once
// The program's window set for the window tests of one binary: created once,
// in a folder that holds a database file (the start-up check wants one), with
// the main window shown. The current directory is left as it was.
void CreateWindowSetOnce();
