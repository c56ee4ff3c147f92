// SPDX-License-Identifier: GPL-3.0-or-later
#include "TestDatabase.h"

namespace orvanta::geoip::test {

Bytes LittleEndian(std::uint32_t value, int count) {
    Bytes out;
    for (int i = 0; i < count; ++i) {
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
    }
    return out;
}

Bytes Node(std::uint32_t zero, std::uint32_t one, int recordLength) {
    return LittleEndian(zero, recordLength) + LittleEndian(one, recordLength);
}

Bytes EditionBlock(std::uint8_t edition) {
    return Bytes("\xFF\xFF\xFF") + static_cast<char>(edition);
}

Bytes EditionBlock(std::uint8_t edition, std::uint32_t boundary) {
    return EditionBlock(edition) + LittleEndian(boundary, 3);
}

Bytes Record(std::uint8_t country, const std::string& region, const std::string& city,
             const std::string& postal, std::uint32_t latitude, std::uint32_t longitude,
             std::int64_t third) {
    Bytes out(1, static_cast<char>(country));
    out += region + '\0' + city + '\0' + postal + '\0';
    out += LittleEndian(latitude, 3) + LittleEndian(longitude, 3);
    if (third >= 0) {
        out += LittleEndian(static_cast<std::uint32_t>(third), 3);
    }
    return out;
}

Bytes OneRecordFile(std::uint8_t edition, const Bytes& record) {
    // Boundary 1: node 0 only; value 2 = record-area offset 1, at byte 2 + 5.
    return Node(1, 2) + Bytes(1, '\0') + record + EditionBlock(edition, 1);
}

} // namespace orvanta::geoip::test
