// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The IP whois window's RDAP query: the bootstrap file names the regional
// registry's service for the address, which answers with the network's
// record. Blocking, bounded like every request of the HTTP client.

#include "rdap/Settings.h"

#include <string>
#include <string_view>

namespace orvanta::rdap {

class IpNetworkLookup {
public:
    explicit IpNetworkLookup(Settings settings) : settings_(std::move(settings)) {}

    // The network's text record (NetworkText) for a dotted IPv4 address or
    // an IPv6 address, whose service ipv6.json names.
    // Throws RdapError with a message that says what failed and where.
    std::string RecordText(std::string_view address) const;

private:
    Settings settings_;
};

} // namespace orvanta::rdap
