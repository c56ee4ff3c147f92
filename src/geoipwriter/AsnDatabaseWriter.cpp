// SPDX-License-Identifier: GPL-3.0-or-later
#include "geoipwriter/AsnDatabaseWriter.h"

#include "geoip/Editions.h"
#include "geoip/TextRecord.h"
#include "geoipwriter/TreeDatabaseWriter.h"
#include "geoipwriter/WriteError.h"

namespace orvanta::geoip {
namespace {

// The record encoder of the text kind: the text and its NUL.
EncodedRecord EncodeText(const std::string& text) {
    if (text.find('\0') != std::string::npos) {
        throw WriteError("the text \"" + text.substr(0, 40) + "\" contains a NUL byte");
    }
    EncodedRecord encoded;
    encoded.bytes = text;
    encoded.bytes += '\0';
    encoded.overlong = encoded.bytes.size() > TextRecordWindow;
    return encoded;
}

} // namespace

WriteSummary WriteAsnDatabase(const std::string& path, const AsnRangeSet& set, int edition) {
    const EditionInfo* info =
        edition > 0 && edition < 256 ? FindEdition(static_cast<std::uint8_t>(edition)) : nullptr;
    if (info == nullptr || info->kind != RecordKind::Text) {
        throw WriteError("edition " + std::to_string(edition) +
                         " is not an organisation edition (9 or 21)");
    }
    std::vector<IndexedRange> ranges;
    ranges.reserve(set.ranges.size());
    for (const AsnRange& range : set.ranges) {
        ranges.push_back({range.first, range.last, range.textIndex});
    }
    const RecordSource texts{set.texts.size(),
                             [&set](std::uint32_t index) { return EncodeText(set.texts[index]); }};
    return WriteTreeDatabase(path, ranges, texts, *info);
}

} // namespace orvanta::geoip
