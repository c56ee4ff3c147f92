// SPDX-License-Identifier: GPL-3.0-or-later
#include "geoip/TGeoIP.h"

#include "geoip/CityRecordDecoder.h"
#include "geoip/EditionBlock.h"
#include "geoip/Editions.h"
#include "geoip/TreeWalk.h"

#include <arpa/inet.h>
#include <utility>

namespace orvanta::geoip {

TGeoIP::TGeoIP(const std::string& fileName) : Stream(fileName) {
    DetectEdition();
}

std::size_t TGeoIP::ReadAt(std::int64_t position, std::uint8_t* buffer, std::size_t size) {
    return Stream.ReadAt(position, buffer, size);
}

void TGeoIP::DetectEdition() {
    EditionBlock block = ReadEditionBlock(
        Stream.size(), [this](std::int64_t position, std::uint8_t* buffer, std::size_t size) {
            return ReadAt(position, buffer, size);
        });
    Edition = block.edition;
    Segments = std::move(block.segments);
    RecordLength = block.recordLength;
}

std::uint32_t TGeoIP::AddressToNumber(const std::string& address) {
    in_addr_t number = ::inet_addr(address.c_str());
    if (number == INADDR_NONE) {
        return 0;
    }
    return ntohl(number);
}

std::uint32_t TGeoIP::WalkTree(std::uint32_t address) {
    int prefixLength = 0;
    return WalkTree(address, prefixLength);
}

std::uint32_t TGeoIP::WalkTree(std::uint32_t address, int& prefixLength) {
    prefixLength = 0;
    if (Segments.empty()) {
        return 0;
    }
    // One positioned read of both child values per level, as the file
    // format's own reader does; the walk then takes the one the bit names.
    const TreeWalkResult walk =
        WalkSearchTree(address, 32, Segments[0], [this](std::uint32_t node, int side) {
            std::uint8_t bytes[8];
            const auto nodeSize = static_cast<std::size_t>(2 * RecordLength);
            ReadAt(static_cast<std::int64_t>(node) * 2 * RecordLength, bytes, nodeSize);
            return LittleEndian(side ? bytes + RecordLength : bytes, RecordLength);
        });
    prefixLength = walk.prefixLength;
    return walk.value;
}

TLookupResult TGeoIP::LookupCity(const std::string& address, TGeoIPCity& record) {
    int prefixLength = 0;
    return LookupCity(address, record, prefixLength);
}

TLookupResult TGeoIP::LookupCity(const std::string& address, TGeoIPCity& record,
                                 int& prefixLength) {
    prefixLength = -1;
    std::uint32_t number = AddressToNumber(address);
    if (number == 0) {
        return lrInvalidAddress;
    }
    return ReadCityRecord(number, record, prefixLength);
}

TLookupResult TGeoIP::ReadCityRecord(std::uint32_t address, TGeoIPCity& record, int& prefixLength) {
    if (!FindCityEdition(Edition, 32)) {
        return lrNotCityEdition;
    }
    std::uint32_t terminal = WalkTree(address, prefixLength);
    std::uint32_t boundary = Segments[0];
    if (terminal == boundary) {
        return lrNotFound;
    }
    std::uint8_t bytes[RecordWindow];
    ReadAt(RecordPosition(terminal, boundary, RecordLength), bytes, sizeof bytes);
    DecodeCityRecord(bytes, Edition, record);
    return lrFound;
}

} // namespace orvanta::geoip
