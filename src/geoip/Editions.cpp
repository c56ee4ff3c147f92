#include "geoip/Editions.h"

#include <array>

namespace orvanta::geoip {
namespace {

constexpr std::uint32_t ReadBoundary = 0;

// Editions 1, 3, 4, 5, 7 and 8 are other products of the family; the reader
// opens them with the boundary they have, and nothing looks anything up.
constexpr std::array<EditionInfo, 12> Editions = {{
    {1, 32, 3, 16776960, RecordKind::None, false},
    {2, 32, 3, ReadBoundary, RecordKind::City, true},
    {3, 32, 3, 16000000, RecordKind::None, false},
    {4, 32, 4, ReadBoundary, RecordKind::None, false},
    {5, 32, 4, ReadBoundary, RecordKind::None, false},
    {6, 32, 3, ReadBoundary, RecordKind::City, false},
    {7, 32, 3, 16700000, RecordKind::None, false},
    {8, 32, 3, 16776960, RecordKind::None, false},
    {9, 32, 3, ReadBoundary, RecordKind::Text, false},
    {21, 128, 3, ReadBoundary, RecordKind::Text, false},
    {30, 128, 3, ReadBoundary, RecordKind::City, true},
    {31, 128, 3, ReadBoundary, RecordKind::City, false},
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
