// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Reads data records of an open MMDB database by their data-section offset,
// tells the record shape apart and decodes the fields a city record keeps.

#include "mmdbimport/SourceRecord.h"

#include <cstdint>
#include <string>
#include <vector>

namespace orvanta::mmdbimport {

class MmdbDatabase;

class MmdbRecordDecoder {
public:
    explicit MmdbRecordDecoder(const MmdbDatabase& database);

    // The shape of the record at `dataOffset`; throws ImportError naming the
    // fields found when it is neither.
    RecordShape DetectShape(std::uint32_t dataOffset) const;

    // Decodes a record of the given shape; throws ImportError when the record
    // is not of that shape or a field has an unexpected type.
    SourceRecord Decode(std::uint32_t dataOffset, RecordShape shape) const;

    // The keys of the record's top-level map (empty when it is not a map).
    std::vector<std::string> TopLevelKeys(std::uint32_t dataOffset) const;

private:
    SourceRecord DecodeFlat(std::uint32_t dataOffset) const;
    SourceRecord DecodeNested(std::uint32_t dataOffset) const;
    [[noreturn]] void NotOfShape(std::uint32_t dataOffset, const char* expected) const;

    const MmdbDatabase& database_;
};

} // namespace orvanta::mmdbimport
