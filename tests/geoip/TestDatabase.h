// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Database files made byte by byte for the reader's tests, written into a
// TempFolder.

#include "TempFolder.h"

#include <cstdint>
#include <string>

namespace orvanta::geoip::test {

using Bytes = std::string;

using orvanta::test::ReadFile;
using orvanta::test::TempFolder;

// `value` as `count` bytes, least significant first.
Bytes LittleEndian(std::uint32_t value, int count);

// A tree node of two child values of `recordLength` bytes each.
Bytes Node(std::uint32_t zero, std::uint32_t one, int recordLength = 3);

// 0xFF 0xFF 0xFF, the edition byte and, when given, the 3-byte boundary.
Bytes EditionBlock(std::uint8_t edition);
Bytes EditionBlock(std::uint8_t edition, std::uint32_t boundary);

// A city record: index, three NUL-ended texts, latitude and longitude
// numbers and, when `third` >= 0, the third number.
Bytes Record(std::uint8_t country, const std::string& region, const std::string& city,
             const std::string& postal, std::uint32_t latitude, std::uint32_t longitude,
             std::int64_t third = -1);

// A complete city file whose tree has one node: addresses with bit 31 clear
// end at the boundary (1, "not found"), the others at the record placed at
// record-area offset 1. Used for decoding the record bytes given.
Bytes OneRecordFile(std::uint8_t edition, const Bytes& record);

} // namespace orvanta::geoip::test
