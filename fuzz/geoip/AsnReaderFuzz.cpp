// SPDX-License-Identifier: GPL-3.0-or-later
// Arbitrary bytes as an organisation database: both readers must open it,
// answer lookups of both families with a bounded text or nothing, agree with
// each other, and never read outside what the file holds.

#include "geoip/AsnDatabase.h"
#include "geoip/AsnDatabaseImage.h"
#include "geoip/TextRecord.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

namespace {

struct FuzzFile {
    FuzzFile() : fd(memfd_create("orvanta-fuzz-asn", MFD_CLOEXEC)) {
        if (fd < 0) {
            std::abort();
        }
        path = "/proc/self/fd/" + std::to_string(fd);
    }
    int fd;
    std::string path;
};

void Check(const std::string& path, int depth, const orvanta::geoip::AddressValue* addresses,
           std::size_t count) {
    const orvanta::geoip::AsnDatabase file(path, depth);
    const orvanta::geoip::AsnDatabaseImage image(path, depth);
    for (std::size_t i = 0; i < count; ++i) {
        const auto fromFile = file.Lookup(addresses[i]);
        const auto fromImage = image.Lookup(addresses[i]);
        if (fromFile.has_value() != fromImage.has_value() ||
            (fromFile &&
             (*fromFile != *fromImage || fromFile->size() >= orvanta::geoip::TextRecordWindow))) {
            std::abort();
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static FuzzFile file;
    if (ftruncate(file.fd, 0) != 0 ||
        (size > 0 && pwrite(file.fd, data, size, 0) != static_cast<ssize_t>(size))) {
        std::abort();
    }
    orvanta::geoip::AddressValue addresses[6] = {0, 1, ~orvanta::geoip::AddressValue(0)};
    addresses[3] = orvanta::geoip::AddressValue(0x08080808);
    addresses[4] = orvanta::geoip::AddressValue(0x20010db8) << 96;
    if (size >= 16) {
        std::memcpy(&addresses[5], data, 16);
    }
    Check(file.path, 128, addresses, 6);
    Check(file.path, 32, addresses, 6); // numbers past 32 bits must not matter
    return 0;
}
