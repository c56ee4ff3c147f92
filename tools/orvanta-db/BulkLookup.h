#pragma once
// Many lookups in one run: the database is read into memory once (on the
// first address) and answers exactly as a fresh reader per address would.
// Addresses are looked up in small batches whose tree walks overlap their
// memory waits; the output is collected and written in large pieces, and the
// record part of a line is kept per record, since busy records answer many
// addresses.

#include "AsnLookup.h"
#include "LookupFormatter.h"
#include "geoip/CityDatabaseImage.h"

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace orvanta::dbtool {

class BulkLookup {
public:
    BulkLookup(std::string file, AsnFiles asnFiles, LookupFormat format, std::ostream& out);
    ~BulkLookup();
    BulkLookup(const BulkLookup&) = delete;
    BulkLookup& operator=(const BulkLookup&) = delete;

    // Queues the address; its line is made with its batch. The first call
    // reads the databases; throws geoip::EFOpenError when it cannot.
    void Add(const std::string& address);
    // Answers what is queued, writes every line made and flushes the stream.
    void Flush();

private:
    struct Slot {
        bool used = false;
        std::uint32_t terminal = 0;
        std::string text;
    };
    void LookUpBatch();
    Slot& SlotFor(std::uint32_t terminal);
    void AppendFoundRecord(std::uint32_t terminal);
    void AppendOrganization(std::size_t index);

    std::string file_;
    LookupFormatter formatter_;
    std::ostream& out_;
    std::optional<geoip::CityDatabaseImage> image_;
    AsnFiles asnFiles_;
    std::optional<AsnImages> asn_;
    // The organisation fields of busy records, formatted once.
    std::vector<Slot> asnSlots_;
    std::string buffer_;
    geoip::TGeoIPCity record_;
    std::vector<Slot> slots_;
    // The batch: addresses as given, their numbers, and the walks of the
    // usable ones.
    std::vector<std::string> addresses_;
    std::size_t queued_ = 0;
    std::vector<std::uint32_t> numbers_;
    std::vector<std::uint32_t> usable_;
    std::vector<geoip::CityDatabaseImage::Walk> walks_;
    std::vector<geoip::TLookupResult> results_;
};

// TGeoIP::AddressToNumber, with the plain dotted form ("a.b.c.d", decimal
// parts without leading zeros) parsed directly and every other text handed
// to it; the same number for every text.
std::uint32_t QuickAddressToNumber(const std::string& address);

} // namespace orvanta::dbtool
