// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The lines of `orvanta-db lookup`: tab-separated fields or JSON Lines. Each
// line is appended to a caller's buffer in pieces (address, record part,
// network), so that a bulk run can keep the record part of an answer it has
// already formatted and append it again.

#include "geoip/AddressValue.h"
#include "geoip/TGeoIPCity.h"
#include "geoip/TLookupResult.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace orvanta::dbtool {

enum class LookupFormat { Tsv, Json };

// The most bytes of an address text a line echoes.
inline constexpr std::size_t EchoLimit = 1000;

// What one lookup answered: `number` is the address as a number and
// `prefixLength` the bits the tree walk used (-1 when no walk was made).
struct LookupAnswer {
    std::string_view address;
    geoip::TLookupResult result = geoip::lrInvalidAddress;
    const geoip::TGeoIPCity* record = nullptr; // fields of an empty record unless lrFound
    std::uint32_t number = 0;
    int prefixLength = -1;
    // The organisation record text ("AS15169 Google LLC"); none without a
    // file or a record.
    std::optional<std::string_view> organization = std::nullopt;
    bool ipv6 = false; // looked up in the IPv6 file: `ipv6Number` holds it
    geoip::AddressValue ipv6Number = 0;
};

class LookupFormatter {
public:
    explicit LookupFormatter(LookupFormat format) : format_(format) {}

    // The whole line with its line end.
    void AppendLine(std::string& out, const LookupAnswer& answer) const;

    // The pieces of a line, in order: the opening and the address; the result
    // and the nine fields; the network; the AS number and the organisation's
    // name (empty, or null in JSON, without a record); the special-purpose
    // block; the line end.
    void AppendAddress(std::string& out, std::string_view address) const;
    void AppendRecord(std::string& out, geoip::TLookupResult result,
                      const geoip::TGeoIPCity& record) const;
    void AppendNetwork(std::string& out, std::uint32_t number, int prefixLength) const;
    void AppendOrganization(std::string& out, std::optional<std::string_view> text) const;
    // The special-purpose block the address lies in ("Private-Use"); empty,
    // or null in JSON, for none and for addresses that were not looked up.
    void AppendSpecial(std::string& out, std::optional<std::string_view> name) const;
    void AppendEnd(std::string& out) const;
    // A count of the caller's, as another field ("\t12" or ",\"packets\":12").
    void AppendCount(std::string& out, std::string_view key, std::uint64_t value) const;
    // The same for an IPv6 answer: the network as IPv6 CIDR ("2001:db8::/32").
    void AppendIPv6Network(std::string& out, geoip::AddressValue number, int prefixLength) const;

private:
    LookupFormat format_;
};

// The special-purpose block of what an answer looked up: nothing for an
// address that was not usable.
std::optional<std::string_view> SpecialOf(const LookupAnswer& answer);

// The output line without its line end (tab-separated, to the special block).
std::string FormatLookupLine(const LookupAnswer& answer);

// A number as the program shows it: up to 15 significant digits, "." as the
// decimal separator whatever the locale.
std::string FormatNumber(double value);

// Tab, CR, LF and backslash written as \t, \r, \n and \\.
std::string EscapeField(std::string_view text);

// "a.b.c.d/len" for the network of `prefixLength` bits holding `number`; ""
// when the length is negative.
std::string NetworkText(std::uint32_t number, int prefixLength);

} // namespace orvanta::dbtool
