// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What an organisation database is built from: address ranges, each answered
// by one text ("AS15169 Google LLC"), every distinct text kept once. IPv4
// ranges use the low 32 bits of the 128-bit numbers.

#include "geoip/AddressValue.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace orvanta::geoip {

struct AsnRange {
    AddressValue first = 0; // inclusive
    AddressValue last = 0;  // inclusive
    std::uint32_t textIndex = 0;

    bool operator==(const AsnRange&) const = default;
};

struct AsnRangeSet {
    std::vector<std::string> texts; // each distinct text once
    std::vector<AsnRange> ranges;

    // The index of `text`, adding it when it is new.
    std::uint32_t TextIndex(const std::string& text);

private:
    std::unordered_map<std::string, std::uint32_t> known_;
};

struct FittedText {
    std::string text;
    bool shortened = false;
};

// The record text of an AS: "AS<number> <name>", the name cut at a character
// boundary (UTF-8) when the text and its NUL would not fit the reader's window.
FittedText AsnRecordText(std::uint32_t number, std::string_view organization);

// Makes the ranges disjoint where they overlap: every address goes to the
// narrowest range that covers it (of equally wide ones, the first given).
// The result is ascending, with neighbouring ranges of one text merged.
std::vector<AsnRange> ResolveOverlaps(std::vector<AsnRange> ranges);

} // namespace orvanta::geoip
