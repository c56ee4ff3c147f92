#include "geoip/EditionBlock.h"

namespace orvanta::geoip {
namespace {

constexpr std::uint8_t MarkerByte = 0xFF;
constexpr int MarkerWindows = 20;
constexpr std::uint32_t DefaultBoundary = 16776960; // editions 1 and 8
constexpr std::uint32_t Edition3Boundary = 16000000;
constexpr std::uint32_t Edition7Boundary = 16700000;

void ApplyEdition(EditionBlock& block, std::int64_t position, const ReadAtFunction& readAt) {
    switch (block.edition) {
    case 7:
        block.segments.assign(1, Edition7Boundary);
        break;
    case 3:
        block.segments.assign(1, Edition3Boundary);
        break;
    case 2:
    case 4:
    case 5:
    case 6:
    case 9: {
        std::uint8_t boundary[3];
        readAt(position + 4, boundary, sizeof boundary);
        block.segments.assign(1, LittleEndian(boundary, 3));
        if (block.edition == 4 || block.edition == 5) {
            block.recordLength = 4;
        }
        break;
    }
    default:
        break;
    }
}

} // namespace

EditionBlock ReadEditionBlock(std::int64_t fileSize, const ReadAtFunction& readAt) {
    EditionBlock block;
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
        ApplyEdition(block, position, readAt);
        break;
    }
    if (block.edition == 1 || block.edition == 8) {
        block.segments.assign(1, DefaultBoundary);
    }
    return block;
}

} // namespace orvanta::geoip
