#include "geoip/TGeoIP.h"

#include "geoip/CityRecordDecoder.h"
#include "geoip/EditionBlock.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace orvanta::geoip {
TGeoIP::TGeoIP(const std::string& fileName) {
    // O_NONBLOCK only matters for a FIFO or device, which would otherwise
    // block the caller forever in open(); regular files ignore it.
    int fd = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        throw EFOpenError(fileName, errno);
    }
    Stream.reset(fd);
    struct stat status {};
    if (::fstat(fd, &status) != 0) {
        throw EFOpenError(fileName, errno);
    }
    if (S_ISDIR(status.st_mode)) {
        throw EFOpenError(fileName, EISDIR);
    }
    FileSize = S_ISREG(status.st_mode) ? status.st_size : 0;
    DetectEdition();
}

std::size_t TGeoIP::ReadAt(std::int64_t position, std::uint8_t* buffer, std::size_t size) {
    std::size_t done = 0;
    while (done < size && position >= 0) {
        ssize_t got = ::pread(Stream.get(), buffer + done, size - done,
                              static_cast<off_t>(position) + static_cast<off_t>(done));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            break;
        }
        done += static_cast<std::size_t>(got);
    }
    std::memset(buffer + done, 0, size - done);
    return done;
}

void TGeoIP::DetectEdition() {
    EditionBlock block = ReadEditionBlock(
        FileSize, [this](std::int64_t position, std::uint8_t* buffer, std::size_t size) {
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
    const std::uint32_t boundary = Segments[0];
    std::uint32_t node = 0;
    for (int bit = 31; bit >= 0; --bit) {
        std::uint8_t bytes[8];
        const auto nodeSize = static_cast<std::size_t>(2 * RecordLength);
        ReadAt(static_cast<std::int64_t>(node) * 2 * RecordLength, bytes, nodeSize);
        const std::uint8_t* child =
            (address >> bit) & 1U ? bytes + RecordLength : bytes; // 1 bit: second value
        std::uint32_t value = LittleEndian(child, RecordLength);
        prefixLength = 32 - bit;
        if (value >= boundary) {
            return value;
        }
        node = value;
    }
    return 0;
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
    if (Edition != 6 && Edition != 2) {
        return lrNotCityEdition;
    }
    std::uint32_t terminal = WalkTree(address, prefixLength);
    std::uint32_t boundary = Segments[0];
    if (terminal == boundary) {
        return lrNotFound;
    }
    std::int64_t position = static_cast<std::int64_t>(terminal) +
                            static_cast<std::int64_t>(2 * RecordLength - 1) * boundary;
    std::uint8_t bytes[RecordWindow];
    ReadAt(position, bytes, sizeof bytes);
    DecodeCityRecord(bytes, Edition, record);
    return lrFound;
}

} // namespace orvanta::geoip
