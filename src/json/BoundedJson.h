// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One JSON document from outside into a nlohmann::json value. Nesting is
// checked in a linear pass first, so a document of a million "[" is refused
// with a message instead of being parsed: deep values cost stack in every
// later walk over them. Malformed input, invalid UTF-8 included, throws
// JsonError naming the byte offset.

#include <cstddef>
#include <nlohmann/json.hpp>
#include <stdexcept>
#include <string>
#include <string_view>

namespace orvanta::json {

inline constexpr int kDefaultMaxDepth = 64;

class JsonError : public std::runtime_error {
public:
    JsonError(std::size_t offset, const std::string& what);
    // For a failure without a known place (a number out of range).
    explicit JsonError(const std::string& what);
    // std::string_view::npos when not known.
    std::size_t offset() const noexcept { return offset_; }

private:
    std::size_t offset_;
};

// Throws JsonError for malformed input or arrays and objects nested deeper
// than `maxDepth`.
nlohmann::json ParseBounded(std::string_view text, int maxDepth = kDefaultMaxDepth);

// The offset of the first bracket that opens level `maxDepth` + 1, outside
// strings; std::string_view::npos when the nesting stays within it.
std::size_t FindTooDeep(std::string_view text, int maxDepth);

} // namespace orvanta::json
