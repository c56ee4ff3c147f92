// SPDX-License-Identifier: GPL-3.0-or-later
#include "resultfiles/KmlWriter.h"

#include <charconv>

namespace orvanta::resultfiles {
namespace {

// The shortest text that reads back as the same double.
std::string Number(double value) {
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, value);
    return std::string(text, result.ptr);
}

} // namespace

std::string XmlEscaped(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&apos;";
            break;
        default:
            if (static_cast<unsigned char>(c) >= 0x20 || c == '\t' || c == '\n' || c == '\r')
                out += c;
        }
    }
    return out;
}

void WriteKml(std::ostream& out, const std::vector<ResultRecord>& rows) {
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<kml xmlns=\"http://www.opengis.net/kml/2.2\">\n"
           "<Document>\n<name>Orvanta results</name>\n";
    for (const ResultRecord& row : rows) {
        if (!row.Located())
            continue;
        std::string description = LocationLine(row);
        const std::string organisation = OrganisationText(row);
        if (!organisation.empty())
            description += "\n" + organisation;
        // KML puts longitude first, as GeoJSON does.
        out << "<Placemark><name>" << XmlEscaped(row.address) << "</name><description>"
            << XmlEscaped(description) << "</description><Point><coordinates>"
            << Number(*row.longitude) << ',' << Number(*row.latitude)
            << "</coordinates></Point></Placemark>\n";
    }
    out << "</Document>\n</kml>\n";
}

} // namespace orvanta::resultfiles
