#include "geoip/CityDatabaseImage.h"

#include "geoip/CityRecordDecoder.h"
#include "geoip/EFOpenError.h"
#include "geoip/EditionBlock.h"
#include "geoip/FileDescriptor.h"
#include "geoip/TGeoIP.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orvanta::geoip {
namespace {

// Tree nodes lie below boundary * 2 * RecordLength (boundary < 2^24, RL <= 4)
// and city records below 6 * 2^24 + 50: nothing a lookup reads lies past this.
constexpr std::int64_t HeadLimit = std::int64_t(128) << 20;
// The edition block's windows start at most 22 bytes before the end.
constexpr std::int64_t TailBytes = 32;
constexpr int TopBits = 16;

// Reads up to `size` bytes at `position`; returns how many the file delivered
// (fewer when it ended, or was cut, before that).
std::size_t ReadFully(int fd, std::int64_t position, std::uint8_t* buffer, std::size_t size,
                      const std::string& fileName) {
    std::size_t done = 0;
    while (done < size) {
        const ssize_t got = ::pread(fd, buffer + done, size - done,
                                    static_cast<off_t>(position) + static_cast<off_t>(done));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            throw EFOpenError(fileName, errno);
        }
        if (got == 0) {
            break;
        }
        done += static_cast<std::size_t>(got);
    }
    return done;
}

} // namespace

CityDatabaseImage::CityDatabaseImage(const std::string& fileName) {
    // O_NONBLOCK as in TGeoIP: a FIFO must not block the open.
    FileDescriptor file(::open(fileName.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (!file.valid()) {
        throw EFOpenError(fileName, errno);
    }
    struct stat status {};
    if (::fstat(file.get(), &status) != 0) {
        throw EFOpenError(fileName, errno);
    }
    if (S_ISDIR(status.st_mode)) {
        throw EFOpenError(fileName, EISDIR);
    }
    // Anything but a regular file reads as empty, as it does for TGeoIP.
    if (S_ISREG(status.st_mode)) {
        Load(file.get(), status.st_size, fileName);
    }
    EditionBlock block = ReadEditionBlock(
        fileSize_, [this](std::int64_t position, std::uint8_t* buffer, std::size_t size) {
            return ReadAt(position, buffer, size);
        });
    edition_ = block.edition;
    segments_ = std::move(block.segments);
    recordLength_ = block.recordLength;
    BuildTopLevels();
}

void CityDatabaseImage::Load(int fd, std::int64_t size, const std::string& fileName) {
    head_.resize(static_cast<std::size_t>(std::min(size, HeadLimit)));
    const std::size_t got = ReadFully(fd, 0, head_.data(), head_.size(), fileName);
    if (got < head_.size()) {
        // Cut while we read: the copy is what there was.
        head_.resize(got);
        fileSize_ = static_cast<std::int64_t>(got);
        return;
    }
    fileSize_ = size;
    if (size > HeadLimit) {
        tail_.resize(static_cast<std::size_t>(TailBytes));
        const std::size_t tailGot =
            ReadFully(fd, size - TailBytes, tail_.data(), tail_.size(), fileName);
        if (tailGot < tail_.size()) {
            // Cut between the two reads: keep the head as the whole file.
            tail_.clear();
            fileSize_ = static_cast<std::int64_t>(head_.size());
        }
    }
}

std::size_t CityDatabaseImage::ReadAt(std::int64_t position, std::uint8_t* buffer,
                                      std::size_t size) const {
    const auto headSize = static_cast<std::int64_t>(head_.size());
    const std::int64_t tailStart = fileSize_ - static_cast<std::int64_t>(tail_.size());
    std::size_t delivered = 0;
    bool delivering = true;
    for (std::size_t i = 0; i < size; ++i) {
        const std::int64_t at = position + static_cast<std::int64_t>(i);
        std::uint8_t byte = 0;
        bool present = at >= 0 && at < fileSize_;
        if (present && at < headSize) {
            byte = head_[static_cast<std::size_t>(at)];
        } else if (present && !tail_.empty() && at >= tailStart) {
            byte = tail_[static_cast<std::size_t>(at - tailStart)];
        }
        buffer[i] = byte;
        delivering = delivering && present;
        delivered += delivering ? 1 : 0;
    }
    return delivered;
}

std::uint32_t CityDatabaseImage::Child(std::uint32_t node, int side) const {
    const auto length = static_cast<std::size_t>(recordLength_);
    const std::size_t position = static_cast<std::size_t>(node) * 2 * length + side * length;
    if (position + length <= head_.size()) {
        return LittleEndian(head_.data() + position, recordLength_);
    }
    std::uint8_t bytes[4];
    ReadAt(static_cast<std::int64_t>(position), bytes, length);
    return LittleEndian(bytes, recordLength_);
}

void CityDatabaseImage::BuildTopLevels() {
    if (segments_.empty()) {
        return;
    }
    const std::uint32_t boundary = segments_[0];
    top_.resize(std::size_t(1) << TopBits);
    for (std::uint32_t prefix = 0; prefix < top_.size(); ++prefix) {
        Walk walk{0, 0};
        for (int level = 0; level < TopBits; ++level) {
            const int side = (prefix >> (TopBits - 1 - level)) & 1;
            walk.value = Child(walk.value, side);
            walk.prefixLength = level + 1;
            if (walk.value >= boundary) {
                break;
            }
        }
        top_[prefix] = walk;
    }
}

CityDatabaseImage::Walk CityDatabaseImage::WalkTree(std::uint32_t address) const {
    if (segments_.empty()) {
        return {0, 0};
    }
    const std::uint32_t boundary = segments_[0];
    // An entry below the boundary is the node the walk reaches after TopBits
    // bits; at or above it, the walk ended there.
    Walk walk = top_[address >> (32 - TopBits)];
    if (walk.value >= boundary) {
        return walk;
    }
    for (int bit = 31 - TopBits; bit >= 0; --bit) {
        const std::uint32_t value = Child(walk.value, static_cast<int>((address >> bit) & 1U));
        if (value >= boundary) {
            return {value, 32 - bit};
        }
        walk.value = value;
    }
    return {0, 32};
}

TLookupResult CityDatabaseImage::Find(std::uint32_t address, Walk& walk) const {
    walk = {0, -1};
    if (edition_ != 6 && edition_ != 2) {
        return lrNotCityEdition;
    }
    walk = WalkTree(address);
    return walk.value == segments_[0] ? lrNotFound : lrFound;
}

void CityDatabaseImage::FindMany(const std::uint32_t* addresses, std::size_t count, Walk* walks,
                                 TLookupResult* results) const {
    if (edition_ != 6 && edition_ != 2) {
        for (std::size_t i = 0; i < count; ++i) {
            walks[i] = {0, -1};
            results[i] = lrNotCityEdition;
        }
        return;
    }
    for (std::size_t start = 0; start < count; start += MaxBatch) {
        FindBatch(addresses + start, std::min(MaxBatch, count - start), walks + start,
                  results + start);
    }
}

void CityDatabaseImage::FindBatch(const std::uint32_t* addresses, std::size_t count, Walk* walks,
                                  TLookupResult* results) const {
    const std::uint32_t boundary = segments_[0];
    std::size_t open = 0; // walks still going, moved to the front of `order`
    std::uint32_t order[MaxBatch];
    for (std::size_t i = 0; i < count; ++i) {
        walks[i] = top_[addresses[i] >> (32 - TopBits)];
        if (walks[i].value < boundary) {
            order[open++] = static_cast<std::uint32_t>(i);
            Prefetch(static_cast<std::int64_t>(walks[i].value) * 2 * recordLength_);
        }
    }
    for (int bit = 31 - TopBits; bit >= 0 && open > 0; --bit) {
        std::size_t still = 0;
        for (std::size_t k = 0; k < open; ++k) {
            const std::uint32_t i = order[k];
            const std::uint32_t value =
                Child(walks[i].value, static_cast<int>((addresses[i] >> bit) & 1U));
            if (value >= boundary) {
                walks[i] = {value, 32 - bit};
                continue;
            }
            walks[i].value = value;
            order[still++] = i;
            Prefetch(static_cast<std::int64_t>(value) * 2 * recordLength_);
        }
        open = still;
    }
    for (std::size_t k = 0; k < open; ++k) {
        walks[order[k]] = {0, 32}; // through all 32 bits: a damaged tree
    }
    for (std::size_t i = 0; i < count; ++i) {
        results[i] = walks[i].value == boundary ? lrNotFound : lrFound;
    }
}

void CityDatabaseImage::Prefetch(std::int64_t position) const {
    if (position >= 0 && position < static_cast<std::int64_t>(head_.size())) {
        __builtin_prefetch(head_.data() + position);
    }
}

void CityDatabaseImage::PrefetchRecord(std::uint32_t terminal) const {
    Prefetch(RecordPosition(terminal));
    Prefetch(RecordPosition(terminal) + static_cast<std::int64_t>(RecordWindow) - 1);
}

std::int64_t CityDatabaseImage::RecordPosition(std::uint32_t terminal) const {
    return static_cast<std::int64_t>(terminal) +
           static_cast<std::int64_t>(2 * recordLength_ - 1) * segments_[0];
}

void CityDatabaseImage::DecodeRecord(std::uint32_t terminal, TGeoIPCity& record) const {
    const std::int64_t position = RecordPosition(terminal);
    if (position + static_cast<std::int64_t>(RecordWindow) <= fileSize_ &&
        position + static_cast<std::int64_t>(RecordWindow) <=
            static_cast<std::int64_t>(head_.size())) {
        DecodeCityRecord(head_.data() + position, edition_, record);
        return;
    }
    std::uint8_t bytes[RecordWindow];
    ReadAt(position, bytes, sizeof bytes);
    DecodeCityRecord(bytes, edition_, record);
}

TLookupResult CityDatabaseImage::LookupCity(const std::string& address, TGeoIPCity& record,
                                            int& prefixLength) const {
    prefixLength = -1;
    const std::uint32_t number = TGeoIP::AddressToNumber(address);
    if (number == 0) {
        return lrInvalidAddress;
    }
    Walk walk;
    const TLookupResult result = Find(number, walk);
    prefixLength = walk.prefixLength;
    if (result == lrFound) {
        DecodeRecord(walk.value, record);
    }
    return result;
}

} // namespace orvanta::geoip
