// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Conversions of imported data into what the file stores.

#include <string>
#include <string_view>

namespace orvanta::geoip {

// UTF-8 to ISO-8859-1 bytes. Characters outside Latin-1 are transliterated
// (iconv's //TRANSLIT under a UTF-8 C locale, so the result does not depend on
// the caller's locale), else written as "?"; so is every byte of malformed
// UTF-8. Never throws on bad input.
std::string Utf8ToLatin1(std::string_view utf8);

// ISO-8859-1 bytes to UTF-8.
std::string Latin1ToUtf8(std::string_view latin1);

// Degrees rounded to the 4 decimals the file keeps.
double RoundCoordinate(double degrees);

} // namespace orvanta::geoip
