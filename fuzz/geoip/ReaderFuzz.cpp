// SPDX-License-Identifier: GPL-3.0-or-later
// Arbitrary bytes as a database file: the reader must open it, answer a few
// lookups with one of its result codes and never read outside what it got.

#include "geoip/TGeoIP.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

namespace {

// One in-memory file for the whole run, reached by name through /proc.
struct FuzzFile {
    FuzzFile() : fd(memfd_create("orvanta-fuzz-db", MFD_CLOEXEC)) {
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
    static FuzzFile file;
    if (ftruncate(file.fd, 0) != 0 ||
        (size > 0 && pwrite(file.fd, data, size, 0) != static_cast<ssize_t>(size))) {
        std::abort();
    }
    orvanta::geoip::TGeoIP reader(file.path);
    const char* addresses[] = {"1.2.3.4", "128.0.0.1", "255.255.255.254", "10.0.0.1", "0.0.0.0"};
    for (const char* address : addresses) {
        orvanta::geoip::TGeoIPCity record;
        orvanta::geoip::TLookupResult result = reader.LookupCity(address, record);
        if (result > orvanta::geoip::lrNotCityEdition) {
            std::abort();
        }
    }
    if (size >= 4) {
        reader.WalkTree(static_cast<std::uint32_t>(data[0]) << 24 | data[1] << 16 | data[2] << 8 |
                        data[3]);
    }
    return 0;
}
