// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds arbitrary search trees and data sections, wrapped in valid metadata so
// that libmaxminddb opens them, through the whole import: tree walk, shape
// detection, record decoding and conversion. Every input must end in a range
// set or an ImportError, never in a crash, a hang or unbounded memory.

#include "MmdbTestWriter.h"
#include "mmdbimport/ImportError.h"
#include "mmdbimport/MmdbAsnImporter.h"
#include "mmdbimport/MmdbCityImporter.h"
#include "mmdbimport/Progress.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

namespace {

constexpr std::uint32_t kMaxNodes = 256;

// A file in memory with a path libmaxminddb can open; closed on every path.
class MemoryFile {
public:
    explicit MemoryFile(const std::string& bytes) : fd_(memfd_create("mmdb-fuzz", MFD_CLOEXEC)) {
        if (fd_ >= 0 && write(fd_, bytes.data(), bytes.size()) != ssize_t(bytes.size())) {
            close(fd_);
            fd_ = -1;
        }
    }
    ~MemoryFile() {
        if (fd_ >= 0)
            close(fd_);
    }
    MemoryFile(const MemoryFile&) = delete;
    MemoryFile& operator=(const MemoryFile&) = delete;
    bool ok() const { return fd_ >= 0; }
    std::string path() const { return "/proc/self/fd/" + std::to_string(fd_); }

private:
    int fd_;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3)
        return 0;
    const int ipVersion = (data[0] & 1) ? 6 : 4;
    static constexpr int kRecordSizes[] = {24, 28, 32, 24};
    const int recordSize = kRecordSizes[(data[0] >> 1) & 3];
    // Both families: the IPv4 editions and the IPv6 ones, whose walk leaves
    // out the IPv4 parts and their aliases.
    static constexpr int kEditions[] = {2, 6, 30, 31};
    const int edition = kEditions[(data[0] >> 3) & 3];
    const std::uint32_t nodeCount = 1 + ((std::uint32_t(data[1]) << 8 | data[2]) % kMaxNodes);
    const std::size_t treeSize = std::size_t(nodeCount) * std::size_t(recordSize) / 4;
    const std::string rest(reinterpret_cast<const char*>(data + 3), size - 3);
    std::string tree = rest.substr(0, treeSize);
    tree.resize(treeSize, '\0');
    const std::string section = rest.size() > treeSize ? rest.substr(treeSize) : std::string();

    const MemoryFile file(orvanta::mmdbtest::AssembleDatabase(tree, nodeCount, section, ipVersion,
                                                              recordSize, "fuzz"));
    if (!file.ok())
        return 0;
    try {
        orvanta::mmdbimport::NoProgress progress;
        // The organisation import of either family on a bit of its own.
        if (data[0] & 0x20) {
            orvanta::mmdbimport::ImportAsnMmdb(file.path(), (data[0] & 0x40) != 0, progress);
        } else {
            orvanta::mmdbimport::MmdbCityImporter({edition}, progress).Import(file.path());
        }
    } catch (const orvanta::mmdbimport::ImportError&) {
    }
    return 0;
}
