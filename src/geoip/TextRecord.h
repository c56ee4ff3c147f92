// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The record kind of the organisation editions: a NUL-terminated text such
// as "AS15169 Google LLC" at the terminal value's position, and what a caller
// makes of it (the AS number and the organisation's name).

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace orvanta::geoip {

// The most bytes a text record may take, its NUL included: the reader never
// reads further, so a damaged file cannot make a lookup read a long way.
inline constexpr std::size_t TextRecordWindow = 300;

// The text before the first NUL among the first min(available, window) bytes;
// nothing when there is no NUL there (a record cut by the file's end or run
// past the window is damaged, and a cut text would pass for a real name).
std::optional<std::string> DecodeTextRecord(const std::uint8_t* bytes, std::size_t available);

struct AsnName {
    std::optional<std::uint32_t> number; // from the leading "AS<number>"
    std::string organization;            // the rest, without "AS<number> "
};

// "AS15169 Google LLC" gives 15169 and "Google LLC"; a text that does not
// start with AS and a number is all organisation, without a number.
AsnName SplitAsnText(std::string_view text);

// "AS<number>" and, when the name is not empty, a space and the name.
std::string JoinAsnText(std::uint32_t number, std::string_view organization);

} // namespace orvanta::geoip
