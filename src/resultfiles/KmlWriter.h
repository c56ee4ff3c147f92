// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The located rows as a KML 2.2 document for map tools: one Placemark per
// row with coordinates, the address as its name, the location line and the
// organisation as its description. Rows that are not located have no place
// on a map and are left out.
#include "resultfiles/ResultRecord.h"

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace orvanta::resultfiles {

void WriteKml(std::ostream& out, const std::vector<ResultRecord>& rows);

// Text for XML character data and attribute values: the five markup
// characters as entities, and the control characters XML 1.0 cannot carry
// dropped.
std::string XmlEscaped(std::string_view text);

} // namespace orvanta::resultfiles
