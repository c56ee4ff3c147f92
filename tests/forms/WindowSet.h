// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The program's window set for the window tests of one binary: created once,
// in a folder that holds a database file (the start-up check wants one), with
// the main window shown. The current directory is left as it was.
void CreateWindowSetOnce();

// Points the main window's WHOIS client and the server field at the
// loopback `port`; the IP whois window's own client at a port nothing
// listens on, so a query that should not go there fails.
void WhoisOnLoopback(int port);

// The main() of a window test binary on the open map offline (tiles asked of
// a loopback port nothing listens on, the map profile in a folder of its
// own): runs every test, then deletes the window set before the engine's
// profile goes. With `closeAlerts`, the map's alert boxes (a place the
// database does not hold) are closed at once instead of waiting for a click.
int RunOfflineMapWindowTests(int argc, char** argv, bool closeAlerts = false);
