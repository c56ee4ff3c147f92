// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Who runs an address: the record text ("AS15169 Google LLC") of an IPv4 or
// IPv6 address from the organisation files, as the results list shows it.
// One reader per call, opened and closed again, like the city lookups.

#include <string>

namespace orvanta::geoip {

inline constexpr const char* DefaultAsnFile = "GeoIPASNum.dat";
inline constexpr const char* DefaultAsnV6File = "GeoIPASNumv6.dat";

// IPv4 addresses (inet_addr forms, and IPv4-mapped IPv6 ones) are looked up
// in `ipv4File`, other IPv6 addresses in `ipv6File`. "" when the text is no
// address, the file is missing or unreadable or has no record for it: the
// files are optional, and without them nothing else changes.
std::string OrganizationOf(const std::string& address, const std::string& ipv4File,
                           const std::string& ipv6File);

// The same with GeoIPASNum.dat and GeoIPASNumv6.dat in the current directory.
std::string OrganizationOf(const std::string& address);

} // namespace orvanta::geoip
