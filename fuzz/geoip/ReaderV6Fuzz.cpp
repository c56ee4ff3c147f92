// SPDX-License-Identifier: GPL-3.0-or-later
// Arbitrary bytes as an IPv6 database file: the file reader and the
// in-memory image must open it, answer lookups of addresses taken from the
// input with one of the result codes, agree with each other, and never read
// outside what they got.

#include "geoip/CityDatabaseImageV6.h"
#include "geoip/IPv6Text.h"
#include "geoip/TGeoIPv6.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <sys/mman.h>
#include <unistd.h>
#include <vector>

namespace {

struct FuzzFile {
    FuzzFile() : fd(memfd_create("orvanta-fuzz-db6", MFD_CLOEXEC)) {
        if (fd < 0) {
            std::abort();
        }
        path = "/proc/self/fd/" + std::to_string(fd);
    }
    int fd;
    std::string path;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace orvanta::geoip;
    static FuzzFile file;
    if (ftruncate(file.fd, 0) != 0 ||
        (size > 0 && pwrite(file.fd, data, size, 0) != static_cast<ssize_t>(size))) {
        std::abort();
    }
    TGeoIPv6 reader(file.path);
    const CityDatabaseImageV6 image(file.path);
    std::vector<AddressValue> addresses = {0, 1, AllAddressBits, AddressValue{1} << 127};
    for (std::size_t i = 0; i + 16 <= size && addresses.size() < 24; i += 13) {
        AddressValue value = 0;
        for (std::size_t k = 0; k < 16; ++k) {
            value = (value << 8) | data[i + k];
        }
        addresses.push_back(value);
    }
    std::vector<CityDatabaseImageV6::Walk> walks(addresses.size());
    std::vector<TLookupResult> results(addresses.size());
    image.FindMany(addresses.data(), addresses.size(), walks.data(), results.data());
    for (std::size_t i = 0; i < addresses.size(); ++i) {
        const std::string text = IPv6AddressText(addresses[i]);
        TGeoIPCity expected;
        TGeoIPCity got;
        int expectedPrefix = 0;
        int gotPrefix = 0;
        const TLookupResult want = reader.LookupCity(text, expected, expectedPrefix);
        if (want == lrInvalidAddress || want > lrNotCityEdition) {
            __builtin_trap();
        }
        if (image.LookupCity(text, got, gotPrefix) != want || !(got == expected) ||
            gotPrefix != expectedPrefix || results[i] != want ||
            walks[i].prefixLength != expectedPrefix) {
            __builtin_trap();
        }
    }
    return 0;
}
