// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The script call texts the main window sends to the map page, one per
// map command, built exactly as the page expects them. Texts are UTF-8;
// bytes above 127 pass through untouched.

#include <string>
#include <string_view>

namespace orvanta::map {

// "ClearMarkers()".
std::string clearMarkersCall();

// The address as the page is given it: characters of code 32 or less cut
// at both ends, then every CR and every LF replaced by one blank. Expects
// the memo's text with CR LF line breaks.
std::string cleanAddress(std::string_view memoText);

// A single-quoted script literal: a backslash before each backslash and
// before each single quote, nothing else changed.
std::string addressLiteral(std::string_view address);

// "codeAddress('...')" with the cleaned memo text.
std::string codeAddressCall(std::string_view memoText);

// "GotoLatLng(lat,lng)" with both texts exactly as typed (not validated:
// a malformed coordinate fails in the page and is reported from there).
std::string gotoLatLngCall(std::string_view latitude, std::string_view longitude);

// "TrafficOn()"/"TrafficOff()", and likewise for the other two switches.
std::string trafficCall(bool on);
std::string bicyclingCall(bool on);
std::string streetViewCall(bool on);

// "SetPrivateMode(true)"/"SetPrivateMode(false)": the open map drops or
// restores its street tiles at once.
std::string privateModeCall(bool on);

// Memo text as a text widget hands it out (lines joined by LF) turned into
// the CR LF form the address clean-up expects: every LF is a line break of
// the widget and becomes CR LF; a CR typed into a line stays as it is.
std::string withCrLfLineBreaks(std::string_view plainText);

} // namespace orvanta::map
