// SPDX-License-Identifier: GPL-3.0-or-later
#include "json/BoundedJson.h"

namespace orvanta::json {
namespace {

// nlohmann's messages read "[json.exception.parse_error.101] parse error at
// line 1, column 5: syntax error while parsing value - ..."; the offset is
// given separately, so only the part after the position is kept.
std::string reasonOf(const nlohmann::json::parse_error& error) {
    const std::string text = error.what();
    const auto column = text.find("column ");
    const auto colon = text.find(": ", column == std::string::npos ? 0 : column);
    return colon == std::string::npos ? text : text.substr(colon + 2);
}

} // namespace

JsonError::JsonError(std::size_t offset, const std::string& what)
    : std::runtime_error("Malformed JSON at byte " + std::to_string(offset) + ": " + what),
      offset_(offset) {}

JsonError::JsonError(const std::string& what)
    : std::runtime_error("Malformed JSON: " + what), offset_(std::string_view::npos) {}

std::size_t FindTooDeep(std::string_view text, int maxDepth) {
    int depth = 0;
    bool inString = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char ch = text[i];
        if (inString) {
            if (ch == '\\') {
                ++i; // the escaped character cannot end the string
            } else if (ch == '"') {
                inString = false;
            }
        } else if (ch == '"') {
            inString = true;
        } else if (ch == '[' || ch == '{') {
            if (++depth > maxDepth) {
                return i;
            }
        } else if (ch == ']' || ch == '}') {
            // Unbalanced closers are the parser's to report.
            depth = depth > 0 ? depth - 1 : 0;
        }
    }
    return std::string_view::npos;
}

nlohmann::json ParseBounded(std::string_view text, int maxDepth) {
    if (const std::size_t at = FindTooDeep(text, maxDepth); at != std::string_view::npos) {
        throw JsonError(at, "nested deeper than " + std::to_string(maxDepth) + " levels");
    }
    try {
        return nlohmann::json::parse(text.begin(), text.end());
    } catch (const nlohmann::json::parse_error& error) {
        throw JsonError(error.byte > 0 ? error.byte - 1 : 0, reasonOf(error));
    } catch (const nlohmann::json::exception& error) {
        // Numbers beyond what a double holds ("1e999") end here.
        const std::string text = error.what();
        const auto bracket = text.find("] ");
        throw JsonError(bracket == std::string::npos ? text : text.substr(bracket + 2));
    }
}

} // namespace orvanta::json
