// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Every edition of the file family this system knows, as data: the readers
// and the writer look an edition up here instead of testing numbers, so a new
// edition is a new row. What a row does not say is the same for all: the
// edition block at the file's end, a terminal value t at or above the
// boundary B leads to the record at byte t + (2 * valueBytes - 1) * B, and
// t == B means no record.

#include <cstdint>

namespace orvanta::geoip {

enum class RecordKind : std::uint8_t {
    None, // the file is opened and its boundary set, but nothing looks up in it
    City, // country index, three NUL-terminated texts, coordinates
    Text, // one NUL-terminated text (the organisation editions)
};

struct EditionInfo {
    std::uint8_t number;
    int treeDepth;               // address bits: 32 for IPv4, 128 for IPv6
    int valueBytes;              // bytes per child value of a tree node
    std::uint32_t fixedBoundary; // 0: the boundary is the 3 bytes after the edition byte
    RecordKind kind;
    bool usThirdNumber; // "US" city records carry DmaCode * 1000 + AreaCode
    const char* name;   // what the edition holds, for people
};

// The row of an edition; nullptr for one this system does not know.
const EditionInfo* FindEdition(std::uint8_t number);

// The row of a city edition whose tree has `treeDepth` levels; nullptr for
// any other edition.
const EditionInfo* FindCityEdition(std::uint8_t number, int treeDepth);

} // namespace orvanta::geoip
