// SPDX-License-Identifier: GPL-3.0-or-later
#include "map/ScriptCalls.h"

namespace orvanta::map {
namespace {

bool isBlankOrControl(char ch) {
    return static_cast<unsigned char>(ch) <= 32;
}

} // namespace

std::string clearMarkersCall() {
    return "ClearMarkers()";
}

std::string cleanAddress(std::string_view memoText) {
    std::size_t first = 0;
    std::size_t last = memoText.size();
    while (first < last && isBlankOrControl(memoText[first])) {
        ++first;
    }
    while (last > first && isBlankOrControl(memoText[last - 1])) {
        --last;
    }
    std::string address(memoText.substr(first, last - first));
    for (char& ch : address) {
        if (ch == '\r' || ch == '\n') {
            ch = ' ';
        }
    }
    return address;
}

std::string addressLiteral(std::string_view address) {
    std::string literal;
    literal.reserve(address.size() + 2);
    literal += '\'';
    for (char ch : address) {
        if (ch == '\\' || ch == '\'') {
            literal += '\\';
        }
        literal += ch;
    }
    literal += '\'';
    return literal;
}

std::string codeAddressCall(std::string_view memoText) {
    return "codeAddress(" + addressLiteral(cleanAddress(memoText)) + ")";
}

std::string gotoLatLngCall(std::string_view latitude, std::string_view longitude) {
    std::string call = "GotoLatLng(";
    call += latitude;
    call += ',';
    call += longitude;
    call += ')';
    return call;
}

std::string trafficCall(bool on) {
    return on ? "TrafficOn()" : "TrafficOff()";
}
std::string bicyclingCall(bool on) {
    return on ? "BicyclingOn()" : "BicyclingOff()";
}
std::string streetViewCall(bool on) {
    return on ? "StreetViewOn()" : "StreetViewOff()";
}

std::string withCrLfLineBreaks(std::string_view plainText) {
    std::string text;
    text.reserve(plainText.size() + plainText.size() / 8);
    for (std::size_t i = 0; i < plainText.size(); ++i) {
        if (plainText[i] == '\n') {
            text += '\r';
        }
        text += plainText[i];
    }
    return text;
}

std::string privateModeCall(bool on) {
    return on ? "SetPrivateMode(true)" : "SetPrivateMode(false)";
}

} // namespace orvanta::map
