#pragma once
// A small JSON reader (RFC 8259) for the subdivision list of iso-codes: the
// whole document into a tree of values. Nesting is bounded so that hostile
// input cannot exhaust the stack; errors name the byte offset.

#include <string>
#include <string_view>
#include <vector>

namespace orvanta::mmdbimport {

struct JsonValue {
    enum class Kind { Null, Boolean, Number, String, Array, Object };

    Kind kind = Kind::Null;
    bool boolean = false;
    double number = 0;
    std::string text;               // String: the decoded UTF-8 text
    std::vector<JsonValue> items;   // Array: the elements; Object: the member values
    std::vector<std::string> names; // Object: the member names, parallel to items

    // The member named `key` of an object, or nullptr.
    const JsonValue* Find(std::string_view key) const;

    // Throws ImportError on malformed input.
    static JsonValue Parse(std::string_view document);
};

} // namespace orvanta::mmdbimport
