// SPDX-License-Identifier: GPL-3.0-or-later
#include "geoip/OrganizationOf.h"

#include "geoip/AsnDatabase.h"
#include "geoip/EFOpenError.h"
#include "geoip/IPv6Text.h"
#include "geoip/TGeoIP.h"

namespace orvanta::geoip {
namespace {

std::string Look(const std::string& file, int depth, AddressValue address) {
    try {
        return AsnDatabase(file, depth).Lookup(address).value_or(std::string());
    } catch (const EFOpenError&) {
        return {};
    }
}

} // namespace

std::string OrganizationOf(const std::string& address, const std::string& ipv4File,
                           const std::string& ipv6File) {
    if (address.find(':') != std::string::npos) {
        const std::optional<AddressValue> value = ParseIPv6Address(address);
        if (!value) {
            return {};
        }
        std::uint32_t ipv4 = 0;
        if (IsIPv4Mapped(*value, ipv4)) {
            return Look(ipv4File, 32, ipv4);
        }
        return Look(ipv6File, 128, *value);
    }
    const std::uint32_t number = TGeoIP::AddressToNumber(address);
    if (number == 0) {
        return {};
    }
    return Look(ipv4File, 32, number);
}

std::string OrganizationOf(const std::string& address) {
    return OrganizationOf(address, DefaultAsnFile, DefaultAsnV6File);
}

} // namespace orvanta::geoip
