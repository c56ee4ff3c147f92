// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Coordinates in files are written with "." whatever the separator the list
// shows them with. The list's coordinate texts are digits with an optional
// minus, one decimal separator of the user's settings (any character, UTF-8
// encoded) and possibly an exponent ("-122,0838", "1e-05", "37٫4"); this
// puts "." in the separator's place. Any other text, such as "ERROR City not
// present", comes back unchanged.
#include <string>
#include <string_view>

namespace orvanta::tabletext {

std::string WithDecimalPoint(std::string_view coordinateText);

} // namespace orvanta::tabletext
