// SPDX-License-Identifier: GPL-3.0-or-later
#include "site/MapCommands.h"

#include "map/ScriptCalls.h"
#include "site/MapScriptBridge.h"

using namespace orvanta::map;

void TMapCommands::gotoAddress(const QString& memoText) {
    FBridge.run(clearMarkersCall());
    FBridge.run(codeAddressCall(withCrLfLineBreaks(memoText.toStdString())));
}

void TMapCommands::gotoLocation(const QString& latitude, const QString& longitude) {
    FBridge.run(gotoLatLngCall(latitude.toStdString(), longitude.toStdString()));
}

void TMapCommands::clearMarkers() {
    FBridge.run(clearMarkersCall());
}
void TMapCommands::traffic(bool on) {
    FBridge.run(trafficCall(on));
}
void TMapCommands::bicycling(bool on) {
    FBridge.run(bicyclingCall(on));
}
void TMapCommands::streetView(bool on) {
    FBridge.run(streetViewCall(on));
}
