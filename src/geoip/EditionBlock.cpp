// SPDX-License-Identifier: GPL-3.0-or-later
#include "geoip/EditionBlock.h"

#include "geoip/Editions.h"

namespace orvanta::geoip {
namespace {

constexpr std::uint8_t MarkerByte = 0xFF;
constexpr int MarkerWindows = 20;

void ApplyEdition(EditionBlock& block, std::int64_t position, const ReadAtFunction& readAt,
                  int treeDepth) {
    const EditionInfo* info = FindEdition(block.edition);
    if (!info || info->treeDepth != treeDepth) {
        return;
    }
    block.recordLength = info->valueBytes;
    if (info->fixedBoundary != 0) {
        block.segments.assign(1, info->fixedBoundary);
        return;
    }
    if (position < 0) {
        return; // no marker: only editions with a fixed boundary get here
    }
    std::uint8_t boundary[3];
    readAt(position + 4, boundary, sizeof boundary);
    block.segments.assign(1, LittleEndian(boundary, 3));
}

} // namespace

EditionBlock ReadEditionBlock(std::int64_t fileSize, const ReadAtFunction& readAt, int treeDepth) {
    EditionBlock block;
    std::int64_t marker = -1;
    // Windows of 3 bytes starting 3, 4, ... 22 bytes before the end, and only
    // those wholly inside the file: the nearest marker to the end decides.
    for (int back = 3; back < 3 + MarkerWindows && back <= fileSize; ++back) {
        const std::int64_t position = fileSize - back;
        std::uint8_t window[3];
        readAt(position, window, sizeof window);
        if (window[0] != MarkerByte || window[1] != MarkerByte || window[2] != MarkerByte) {
            continue;
        }
        std::uint8_t edition = 0;
        if (readAt(position + 3, &edition, 1) == 1) {
            block.edition = edition >= 106 ? static_cast<std::uint8_t>(edition - 105) : edition;
        }
        marker = position;
        break;
    }
    // A file without a marker counts as edition 1, which has a fixed boundary.
    ApplyEdition(block, marker, readAt, treeDepth);
    return block;
}

} // namespace orvanta::geoip
