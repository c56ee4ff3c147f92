// SPDX-License-Identifier: GPL-3.0-or-later
#include "geoip/AsnDatabase.h"

#include "geoip/EditionBlock.h"
#include "geoip/Editions.h"
#include "geoip/TextRecord.h"
#include "geoip/TreeWalk.h"

namespace orvanta::geoip {

std::uint32_t TextEditionBoundary(std::uint8_t edition, int treeDepth,
                                  const std::vector<std::uint32_t>& segments) {
    const EditionInfo* info = FindEdition(edition);
    if (info == nullptr || info->kind != RecordKind::Text || info->treeDepth != treeDepth ||
        segments.empty()) {
        return 0;
    }
    return segments[0];
}

AsnDatabase::AsnDatabase(const std::string& fileName, int treeDepth)
    : file_(fileName), treeDepth_(treeDepth) {
    const EditionBlock block = ReadEditionBlock(
        file_.size(),
        [this](std::int64_t position, std::uint8_t* buffer, std::size_t size) {
            return file_.ReadAt(position, buffer, size);
        },
        treeDepth_);
    edition_ = block.edition;
    boundary_ = TextEditionBoundary(edition_, treeDepth_, block.segments);
    valueBytes_ = block.recordLength;
}

std::optional<std::string> AsnDatabase::Lookup(AddressValue address) const {
    if (boundary_ == 0) {
        return std::nullopt;
    }
    const auto child = [this](std::uint32_t node, int side) {
        std::uint8_t bytes[4];
        const std::int64_t position =
            (static_cast<std::int64_t>(node) * 2 + side) * static_cast<std::int64_t>(valueBytes_);
        file_.ReadAt(position, bytes, static_cast<std::size_t>(valueBytes_));
        return LittleEndian(bytes, valueBytes_);
    };
    // A looping or unfinished tree ends after `depth` levels with value 0,
    // below the boundary: no record, as for a value equal to it.
    const TreeWalkResult walk = WalkSearchTree(address, treeDepth_, boundary_, child);
    if (walk.value <= boundary_) {
        return std::nullopt;
    }
    const std::int64_t position = static_cast<std::int64_t>(walk.value) +
                                  static_cast<std::int64_t>(2 * valueBytes_ - 1) * boundary_;
    std::uint8_t bytes[TextRecordWindow];
    const std::size_t got = file_.ReadAt(position, bytes, sizeof bytes);
    return DecodeTextRecord(bytes, got);
}

} // namespace orvanta::geoip
