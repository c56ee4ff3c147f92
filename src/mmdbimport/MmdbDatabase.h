// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// An open MMDB database (libmaxminddb, memory-mapped). Closed when the holder
// goes away; a failed open throws ImportError and leaves nothing open.

#include <cstdint>
#include <memory>
#include <string>

struct MMDB_s;

namespace orvanta::mmdbimport {

class MmdbDatabase {
public:
    explicit MmdbDatabase(const std::string& path);
    ~MmdbDatabase();
    MmdbDatabase(const MmdbDatabase&) = delete;
    MmdbDatabase& operator=(const MmdbDatabase&) = delete;

    const MMDB_s* handle() const { return mmdb_.get(); }
    const std::string& path() const { return path_; }
    std::uint32_t nodeCount() const;
    std::uint16_t ipVersion() const;
    std::uint16_t recordSize() const;
    std::string databaseType() const;
    std::uint64_t buildEpoch() const; // seconds since 1970 when the database was built

private:
    std::string path_;
    std::unique_ptr<MMDB_s> mmdb_;
};

} // namespace orvanta::mmdbimport
