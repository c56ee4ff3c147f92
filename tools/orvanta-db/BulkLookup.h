// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Many lookups in one run: the database is read into memory once (on the
// first address) and answers exactly as a fresh reader per address would.
// IPv6 addresses are answered from the IPv6 database, read on the first of
// them; an IPv4-mapped one (::ffff:a.b.c.d) is looked up as IPv4. Lines come
// out in input order whatever the family.
// Addresses are looked up in small batches whose tree walks overlap their
// memory waits; the output is collected and written in large pieces, and the
// record part of a line is kept per record, since busy records answer many
// addresses.

#include "AsnLookup.h"
#include "LookupFormatter.h"
#include "PieceCache.h"
#include "geoip/CityDatabaseImage.h"
#include "geoip/CityDatabaseImageV6.h"

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orvanta::dbtool {

class BulkLookup {
public:
    // `file6` is the IPv6 database; when it cannot be opened its error goes
    // to `err` once and IPv6 addresses get no line (see failed()).
    BulkLookup(std::string file, std::string file6, AsnFiles asnFiles, LookupFormat format,
               std::ostream& out, std::ostream& err);
    // Only the IPv4 database; IPv6 addresses read from GeoLiteCityv6.dat.
    BulkLookup(std::string file, LookupFormat format, std::ostream& out);
    ~BulkLookup();
    BulkLookup(const BulkLookup&) = delete;
    BulkLookup& operator=(const BulkLookup&) = delete;

    // Queues the address; its line is made with its batch, which reads the
    // database on its first address of the family; throws geoip::EFOpenError
    // when the IPv4 database cannot be read.
    void Add(const std::string& address);
    // The same with fields of the caller's that go right after the address
    // (already formatted, with their separators).
    void Add(const std::string& address, std::string_view afterAddress);
    // Answers what is queued, writes every line made and flushes the stream.
    void Flush();
    // Whether an address went unanswered because its database could not be opened.
    bool failed() const { return ipv6Failed_; }

private:
    struct Slot {
        bool used = false;
        std::uint32_t terminal = 0;
        std::string text;
    };
    enum class Family : std::uint8_t { Invalid, IPv4, IPv6, IPv6Unavailable };
    Family Classify(std::size_t i);
    bool OpenIPv6();
    void LookUpBatch();
    static Slot& SlotFor(std::vector<Slot>& slots, std::uint32_t terminal);
    void AppendFoundRecord(std::uint32_t terminal);
    void AppendOrganizationOf(const std::string& address);
    void AppendOrganization4(std::uint32_t terminal);
    void AppendIPv6Answer(geoip::TLookupResult result, const geoip::CityDatabaseImageV6::Walk& walk,
                          geoip::AddressValue number);

    std::string file_;
    std::string file6_;
    LookupFormatter formatter_;
    std::ostream& out_;
    std::ostream& err_;
    std::optional<geoip::CityDatabaseImage> image_;
    AsnFiles asnFiles_;
    std::optional<AsnImages> asn_;
    // The organisation fields of every record met, formatted once: a file
    // has few enough of them to keep them all.
    PieceCache asnPieces_;
    std::string asnScratch_;
    std::vector<std::uint32_t> asnTerminals_; // of the batch's IPv4 addresses
    std::optional<geoip::CityDatabaseImageV6> image6_;
    bool ipv6Failed_ = false;
    std::string buffer_;
    geoip::TGeoIPCity record_;
    std::vector<Slot> slots_;
    // The batch: addresses as given, their numbers, and the walks of the
    // usable ones.
    std::vector<std::string> addresses_;
    std::vector<std::string> afterAddresses_;
    std::size_t queued_ = 0;
    std::vector<std::uint32_t> numbers_;
    std::vector<std::uint32_t> usable_;
    std::vector<geoip::CityDatabaseImage::Walk> walks_;
    std::vector<geoip::TLookupResult> results_;
    // The same for the IPv6 addresses of the batch.
    std::vector<Slot> slots6_;
    std::vector<Family> families_;
    std::vector<geoip::AddressValue> numbers6_;
    std::vector<geoip::AddressValue> usable6_;
    std::vector<geoip::CityDatabaseImageV6::Walk> walks6_;
    std::vector<geoip::TLookupResult> results6_;
};

// TGeoIP::AddressToNumber, with the plain dotted form ("a.b.c.d", decimal
// parts without leading zeros) parsed directly and every other text handed
// to it; the same number for every text.
std::uint32_t QuickAddressToNumber(const std::string& address);

} // namespace orvanta::dbtool
