// SPDX-License-Identifier: GPL-3.0-or-later
#include "AsnLookup.h"

#include "geoip/AsnDatabase.h"
#include "geoip/IPv6Text.h"
#include "geoip/TGeoIP.h"

#include <algorithm>
#include <cerrno>
#include <sys/stat.h>

namespace orvanta::dbtool {
namespace {

// A default file is optional; only its absence is quiet.
bool Wanted(const std::string& file, bool given) {
    struct stat status {};
    return given || ::stat(file.c_str(), &status) == 0 || errno != ENOENT;
}

// The family and number of an address text: IPv4 (inet_addr forms, and
// IPv4-mapped IPv6 addresses) or IPv6; nothing for no usable address.
struct Address {
    bool ipv6 = false;
    geoip::AddressValue value = 0;
};

std::optional<Address> Parse(const std::string& text) {
    if (text.find(':') != std::string::npos) {
        const std::optional<geoip::AddressValue> value = geoip::ParseIPv6Address(text);
        if (!value) {
            return std::nullopt;
        }
        std::uint32_t ipv4 = 0;
        if (geoip::IsIPv4Mapped(*value, ipv4)) {
            return Address{false, ipv4};
        }
        return Address{true, *value};
    }
    const std::uint32_t number = geoip::TGeoIP::AddressToNumber(text);
    if (number == 0) {
        return std::nullopt;
    }
    return Address{false, number};
}

} // namespace

std::optional<std::string> LookupAsnOnce(const AsnFiles& files, const std::string& address) {
    const bool v4 = Wanted(files.v4, files.v4Given);
    const bool v6 = Wanted(files.v6, files.v6Given);
    // A named file that cannot be opened is an error whatever the address.
    std::optional<geoip::AsnDatabase> readerV4;
    std::optional<geoip::AsnDatabase> readerV6;
    if (v4) {
        readerV4.emplace(files.v4, 32);
    }
    if (v6) {
        readerV6.emplace(files.v6, 128);
    }
    const std::optional<Address> parsed = Parse(address);
    if (!parsed) {
        return std::nullopt;
    }
    const std::optional<geoip::AsnDatabase>& reader = parsed->ipv6 ? readerV6 : readerV4;
    return reader ? reader->Lookup(parsed->value) : std::nullopt;
}

AsnImages::AsnImages(const AsnFiles& files) {
    if (Wanted(files.v4, files.v4Given)) {
        v4_.emplace(files.v4, 32);
    }
    if (Wanted(files.v6, files.v6Given)) {
        v6_.emplace(files.v6, 128);
    }
}

std::uint32_t AsnImages::Terminal4(std::uint32_t number) const {
    return v4_ ? v4_->Terminal(number) : 0;
}

void AsnImages::Terminals4(const std::uint32_t* numbers, std::size_t count,
                           std::uint32_t* terminals) const {
    if (v4_) {
        v4_->TerminalMany(numbers, count, terminals);
    } else {
        std::fill(terminals, terminals + count, 0);
    }
}

std::optional<std::string_view> AsnImages::Text4(std::uint32_t terminal) const {
    return v4_ && terminal != 0 ? v4_->TextOf(terminal) : std::nullopt;
}

std::optional<std::string_view> AsnImages::Lookup(const std::string& address) const {
    const std::optional<Address> parsed = Parse(address);
    if (!parsed) {
        return std::nullopt;
    }
    const std::optional<geoip::AsnDatabaseImage>& image = parsed->ipv6 ? v6_ : v4_;
    return image ? image->Lookup(parsed->value) : std::nullopt;
}

} // namespace orvanta::dbtool
