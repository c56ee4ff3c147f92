#include "geoip/TGeoIP.h"

#include "geoip/GeoIPCountries.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orvanta::geoip {
namespace {

constexpr std::uint8_t MarkerByte = 0xFF;
constexpr int MarkerWindows = 20;
constexpr std::size_t RecordWindow = 50;
constexpr std::uint32_t DefaultBoundary = 16776960; // editions 1 and 8
constexpr std::uint32_t Edition3Boundary = 16000000;
constexpr std::uint32_t Edition7Boundary = 16700000;

std::uint32_t LittleEndian(const std::uint8_t* bytes, std::int32_t count) {
    std::uint32_t value = 0;
    for (std::int32_t i = count - 1; i >= 0; --i) {
        value = (value << 8) | bytes[i];
    }
    return value;
}

// The record window read bounds-checked: a number or text that would reach
// past byte 49 sees zeros there, so decoding never leaves the window.
class RecordWindowReader {
public:
    explicit RecordWindowReader(const std::uint8_t* bytes) : bytes_(bytes) {}

    std::uint8_t At(std::size_t offset) const { return offset < RecordWindow ? bytes_[offset] : 0; }

    // The text from the current offset to the next NUL, or to the window's
    // end when the window holds no NUL; the offset moves past the NUL.
    std::string NextText() {
        std::size_t start = offset_ < RecordWindow ? offset_ : RecordWindow;
        const void* nul = std::memchr(bytes_ + start, 0, RecordWindow - start);
        std::size_t end =
            nul ? static_cast<std::size_t>(static_cast<const std::uint8_t*>(nul) - bytes_)
                : RecordWindow;
        offset_ = nul ? end + 1 : RecordWindow;
        return std::string(reinterpret_cast<const char*>(bytes_ + start), end - start);
    }

    std::uint32_t NextNumber() {
        std::uint32_t value = At(offset_) | (At(offset_ + 1) << 8) | (At(offset_ + 2) << 16);
        offset_ += 3;
        return value;
    }

    void Skip(std::size_t count) { offset_ += count; }

private:
    const std::uint8_t* bytes_;
    std::size_t offset_ = 0;
};

// Degrees of a stored number: v / 10000 - 180. Subtracting 180 after the
// division cancels digits near 0 (179.9999 - 180 would show as
// -0.000100000000000003), so the offset is taken off the exact integer first;
// the one division then gives the double nearest the 4-decimal value, which
// reads exactly as that value with 15 significant digits.
double Degrees(std::uint32_t v) {
    const std::int32_t offset = static_cast<std::int32_t>(v) - 1800000;
    return static_cast<double>(offset) / 10000.0;
}

} // namespace

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
    Edition = 1;
    RecordLength = 3;
    // Windows of 3 bytes starting 3, 4, ... 22 bytes before the end, and only
    // those wholly inside the file: the nearest marker to the end decides.
    for (int back = 3; back < 3 + MarkerWindows && back <= FileSize; ++back) {
        std::int64_t position = FileSize - back;
        std::uint8_t window[3];
        ReadAt(position, window, sizeof window);
        if (window[0] != MarkerByte || window[1] != MarkerByte || window[2] != MarkerByte) {
            continue;
        }
        std::uint8_t edition = 0;
        if (ReadAt(position + 3, &edition, 1) == 1) {
            Edition = edition >= 106 ? static_cast<std::uint8_t>(edition - 105) : edition;
        }
        switch (Edition) {
        case 7:
            Segments.assign(1, Edition7Boundary);
            break;
        case 3:
            Segments.assign(1, Edition3Boundary);
            break;
        case 2:
        case 4:
        case 5:
        case 6:
        case 9: {
            std::uint8_t boundary[3];
            ReadAt(position + 4, boundary, sizeof boundary);
            Segments.assign(1, LittleEndian(boundary, 3));
            if (Edition == 4 || Edition == 5) {
                RecordLength = 4;
            }
            break;
        }
        default:
            break;
        }
        break;
    }
    if (Edition == 1 || Edition == 8) {
        Segments.assign(1, DefaultBoundary);
    }
}

std::uint32_t TGeoIP::AddressToNumber(const std::string& address) {
    in_addr_t number = ::inet_addr(address.c_str());
    if (number == INADDR_NONE) {
        return 0;
    }
    return ntohl(number);
}

std::uint32_t TGeoIP::WalkTree(std::uint32_t address) {
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
        if (value >= boundary) {
            return value;
        }
        node = value;
    }
    return 0;
}

TLookupResult TGeoIP::LookupCity(const std::string& address, TGeoIPCity& record) {
    std::uint32_t number = AddressToNumber(address);
    if (number == 0) {
        return lrInvalidAddress;
    }
    return ReadCityRecord(number, record);
}

TLookupResult TGeoIP::ReadCityRecord(std::uint32_t address, TGeoIPCity& record) {
    if (Edition != 6 && Edition != 2) {
        return lrNotCityEdition;
    }
    std::uint32_t terminal = WalkTree(address);
    std::uint32_t boundary = Segments[0];
    if (terminal == boundary) {
        return lrNotFound;
    }
    std::int64_t position = static_cast<std::int64_t>(terminal) +
                            static_cast<std::int64_t>(2 * RecordLength - 1) * boundary;
    std::uint8_t bytes[RecordWindow];
    ReadAt(position, bytes, sizeof bytes);

    RecordWindowReader window(bytes);
    std::uint8_t country = window.At(0);
    // Indices 253 to 255 lie past the tables; they read as index 0 does.
    std::size_t index = country < CountryCount ? country : 0;
    record.CountryCode = CountryCodes[index];
    record.CountryName = CountryNames[index];
    window.Skip(1);
    record.Region = window.NextText();
    record.City = window.NextText();
    record.PostalCode = window.NextText();
    record.Latitude = Degrees(window.NextNumber());
    record.Longitude = Degrees(window.NextNumber());
    record.DmaCode = 0;
    record.AreaCode = 0;
    if (Edition == 2 && record.CountryCode == "US") {
        std::uint32_t combined = window.NextNumber();
        record.DmaCode = static_cast<std::int32_t>(combined / 1000);
        record.AreaCode = static_cast<std::int32_t>(combined % 1000);
    }
    return lrFound;
}

} // namespace orvanta::geoip
