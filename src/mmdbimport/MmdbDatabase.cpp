// SPDX-License-Identifier: GPL-3.0-or-later
#include "mmdbimport/MmdbDatabase.h"

#include "mmdbimport/ImportError.h"

#include <cerrno>
#include <cstring>
#include <maxminddb.h>

namespace orvanta::mmdbimport {

MmdbDatabase::MmdbDatabase(const std::string& path)
    : path_(path), mmdb_(std::make_unique<MMDB_s>()) {
    errno = 0;
    const int status = MMDB_open(path.c_str(), MMDB_MODE_MMAP, mmdb_.get());
    if (status != MMDB_SUCCESS) {
        std::string reason = MMDB_strerror(status);
        if ((status == MMDB_IO_ERROR || status == MMDB_FILE_OPEN_ERROR) && errno != 0)
            reason += std::string(" (") + std::strerror(errno) + ")";
        throw ImportError("Cannot open MMDB database \"" + path + "\": " + reason);
    }
}

MmdbDatabase::~MmdbDatabase() {
    MMDB_close(mmdb_.get());
}

std::uint32_t MmdbDatabase::nodeCount() const {
    return mmdb_->metadata.node_count;
}

std::uint16_t MmdbDatabase::ipVersion() const {
    return mmdb_->metadata.ip_version;
}

std::uint16_t MmdbDatabase::recordSize() const {
    return mmdb_->metadata.record_size;
}

std::string MmdbDatabase::databaseType() const {
    const char* type = mmdb_->metadata.database_type;
    return type ? type : "";
}

std::uint64_t MmdbDatabase::buildEpoch() const {
    return mmdb_->metadata.build_epoch;
}

} // namespace orvanta::mmdbimport
