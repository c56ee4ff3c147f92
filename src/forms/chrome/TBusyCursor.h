// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TBusyCursor: the wait cursor over every window of the program for as long
// as it lives. Commands that block the windows (database lookups, name
// resolution, WHOIS queries) hold one, so the program says it is busy.
//
//     const TBusyCursor busy;
//     ... blocking work ...
class TBusyCursor {
public:
    TBusyCursor();
    ~TBusyCursor();
    TBusyCursor(const TBusyCursor&) = delete;
    TBusyCursor& operator=(const TBusyCursor&) = delete;
};
