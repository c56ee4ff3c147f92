// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The reader of one IPv6 city database file (editions 30 and 31), made per
// lookup like TGeoIP and working the same way: the file in place, one
// positioned read per tree level and one for the record window, nothing
// cached. The edition block and the record decoding are TGeoIP's.
//
// Addresses are the texts inet_pton(AF_INET6) takes. An IPv4-mapped text
// (::ffff:a.b.c.d) is looked up in the IPv6 tree like any other; the files
// this system writes leave that part unassigned (lrNotFound), since it is
// the IPv4 file's to answer: callers that want the IPv4 answer test
// IsIPv4Mapped and ask TGeoIP.

#include "geoip/AddressValue.h"
#include "geoip/EFOpenError.h"
#include "geoip/PositionedFile.h"
#include "geoip/TGeoIPCity.h"
#include "geoip/TLookupResult.h"
#include "geoip/TreeWalk.h"

#include <cstdint>
#include <string>
#include <vector>

namespace orvanta::geoip {

class TGeoIPv6 {
public:
    // Throws EFOpenError when the file cannot be opened (a directory
    // included), with the message TGeoIP gives.
    explicit TGeoIPv6(const std::string& fileName);
    TGeoIPv6(const TGeoIPv6&) = delete;
    TGeoIPv6& operator=(const TGeoIPv6&) = delete;

    // Fills `record` and returns lrFound, or returns another code and leaves
    // `record` as it was: lrInvalidAddress for a text that is no IPv6
    // address, lrNotCityEdition for a file of any edition but 30 or 31.
    TLookupResult LookupCity(const std::string& address, TGeoIPCity& record);
    // The same; `prefixLength` is the number of address bits the walk used,
    // -1 when no walk was made.
    TLookupResult LookupCity(const std::string& address, TGeoIPCity& record, int& prefixLength);

    // The walk for a parsed address; value 0 after all 128 bits (a damaged tree).
    TreeWalkResult WalkTree(AddressValue address);

    std::uint8_t edition() const { return edition_; }
    const std::vector<std::uint32_t>& segments() const { return segments_; }

private:
    PositionedFile file_;
    std::uint8_t edition_ = 1;
    std::vector<std::uint32_t> segments_;
    std::int32_t valueBytes_ = 3;
};

} // namespace orvanta::geoip
