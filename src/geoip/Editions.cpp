// SPDX-License-Identifier: GPL-3.0-or-later
#include "geoip/Editions.h"

#include <array>

namespace orvanta::geoip {
namespace {

constexpr std::uint32_t ReadBoundary = 0;

// Editions 1, 3, 4, 5, 7 and 8 are other products of the family; the reader
// opens them with the boundary they have, and nothing looks anything up.
constexpr std::array<EditionInfo, 12> Editions = {{
    {1, 32, 3, 16776960, RecordKind::None, false, "IPv4, no lookups"},
    {2, 32, 3, ReadBoundary, RecordKind::City, true, "IPv4 city with metro and area codes"},
    {3, 32, 3, 16000000, RecordKind::None, false, "IPv4, no lookups"},
    {4, 32, 4, ReadBoundary, RecordKind::None, false, "IPv4, no lookups"},
    {5, 32, 4, ReadBoundary, RecordKind::None, false, "IPv4, no lookups"},
    {6, 32, 3, ReadBoundary, RecordKind::City, false, "IPv4 city"},
    {7, 32, 3, 16700000, RecordKind::None, false, "IPv4, no lookups"},
    {8, 32, 3, 16776960, RecordKind::None, false, "IPv4, no lookups"},
    {9, 32, 3, ReadBoundary, RecordKind::Text, false, "IPv4 organisation (ASN)"},
    {21, 128, 3, ReadBoundary, RecordKind::Text, false, "IPv6 organisation (ASN)"},
    {30, 128, 3, ReadBoundary, RecordKind::City, true, "IPv6 city with metro and area codes"},
    {31, 128, 3, ReadBoundary, RecordKind::City, false, "IPv6 city"},
}};

} // namespace

const EditionInfo* FindEdition(std::uint8_t number) {
    for (const EditionInfo& info : Editions) {
        if (info.number == number) {
            return &info;
        }
    }
    return nullptr;
}

const EditionInfo* FindCityEdition(std::uint8_t number, int treeDepth) {
    const EditionInfo* info = FindEdition(number);
    return info && info->kind == RecordKind::City && info->treeDepth == treeDepth ? info : nullptr;
}

} // namespace orvanta::geoip
