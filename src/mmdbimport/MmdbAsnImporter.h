// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Reads an MMDB organisation database (records with the fields
// autonomous_system_number and autonomous_system_organization, as DB-IP's
// ASN Lite and others write them) into the ranges of an organisation
// edition: each distinct record decoded once, each distinct text kept once.

#include "geoipwriter/AsnRange.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace orvanta::mmdbimport {

class MmdbDatabase;
class Progress;

struct AsnImport {
    geoip::AsnRangeSet set; // disjoint, ascending
    std::string databaseType;
    std::uint16_t ipVersion = 0;
    std::size_t sourceRanges = 0;
    std::size_t shortened = 0; // names cut to fit the record window
};

// Whether the database's records are organisation records, judged by the
// first data record the IPv4 part (or the whole tree) leads to.
bool IsAsnDatabase(const MmdbDatabase& database);

// `ipv6` takes the whole IPv6 tree, else the IPv4 part. Throws ImportError
// naming the file and what is wrong (another kind of record among them).
AsnImport ImportAsnMmdb(const std::string& path, bool ipv6, Progress& progress);

} // namespace orvanta::mmdbimport
