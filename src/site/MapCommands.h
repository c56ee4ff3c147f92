// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The six map commands of the main window's map control panel, each one
// or two call texts run through the map script bridge. An error of a call
// ends the command: the address command sends "codeAddress(...)" only
// after "ClearMarkers()" succeeded.

#include <QString>

class TMapScriptBridge;

class TMapCommands {
public:
    explicit TMapCommands(TMapScriptBridge& bridge) : FBridge(bridge) {}

    // `memoText` as the memo hands it out (lines joined by LF).
    void gotoAddress(const QString& memoText);
    // Both texts exactly as typed.
    void gotoLocation(const QString& latitude, const QString& longitude);
    void clearMarkers();
    void traffic(bool on);
    void bicycling(bool on);
    void streetView(bool on);

private:
    TMapScriptBridge& FBridge;
};
