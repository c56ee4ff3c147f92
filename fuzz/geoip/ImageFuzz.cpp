// SPDX-License-Identifier: GPL-3.0-or-later
// Arbitrary bytes as a database file, read by both readers: the in-memory
// image must give the per-lookup file reader's answers (result, fields and
// prefix length) for every address tried, one by one and in a batch.

#include "geoip/CityDatabaseImage.h"
#include "geoip/TGeoIP.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <sys/mman.h>
#include <unistd.h>
#include <vector>

namespace {

struct FuzzFile {
    FuzzFile() : fd(memfd_create("orvanta-fuzz-image", MFD_CLOEXEC)) {
        if (fd < 0) {
            std::abort();
        }
        path = "/proc/self/fd/" + std::to_string(fd);
    }
    int fd;
    std::string path;
};

std::string Dotted(std::uint32_t n) {
    return std::to_string(n >> 24) + "." + std::to_string(n >> 16 & 255) + "." +
           std::to_string(n >> 8 & 255) + "." + std::to_string(n & 255);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace orvanta::geoip;
    static FuzzFile file;
    if (ftruncate(file.fd, 0) != 0 ||
        (size > 0 && pwrite(file.fd, data, size, 0) != static_cast<ssize_t>(size))) {
        std::abort();
    }
    TGeoIP reader(file.path);
    const CityDatabaseImage image(file.path);
    std::vector<std::uint32_t> numbers = {0x01020304, 0x80000001, 0xFFFFFFFE, 0x0A000001, 1};
    for (std::size_t i = 0; i + 4 <= size && numbers.size() < 40; i += 7) {
        numbers.push_back(std::uint32_t(data[i]) << 24 | data[i + 1] << 16 | data[i + 2] << 8 |
                          data[i + 3]);
    }
    std::vector<CityDatabaseImage::Walk> walks(numbers.size());
    std::vector<TLookupResult> results(numbers.size());
    for (std::uint32_t& n : numbers) {
        n = n == 0 || n == 0xFFFFFFFFu ? 1 : n;
    }
    image.FindMany(numbers.data(), numbers.size(), walks.data(), results.data());
    for (std::size_t i = 0; i < numbers.size(); ++i) {
        const std::string address = Dotted(numbers[i]);
        TGeoIPCity expected;
        TGeoIPCity got;
        int expectedPrefix = 0;
        int gotPrefix = 0;
        const TLookupResult want = reader.LookupCity(address, expected, expectedPrefix);
        if (image.LookupCity(address, got, gotPrefix) != want || !(got == expected) ||
            gotPrefix != expectedPrefix || results[i] != want ||
            walks[i].prefixLength != expectedPrefix) {
            __builtin_trap();
        }
    }
    return 0;
}
