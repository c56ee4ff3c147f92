#pragma once
// A database file read into memory once, answering lookups exactly as TGeoIP
// does on the file: for tools that look up many addresses in one run. The
// program itself keeps TGeoIP (one open and positioned reads per lookup).
//
// The file is copied with plain reads rather than mapped: a file that another
// process truncates or replaces while a long run reads it cannot fault the
// reader (a mapping would raise SIGBUS); the run keeps the copy it took.
// Only the bytes a lookup can ever reach are kept: the first 128 MiB (a
// 3-byte tree reaches below 96 MiB, a 4-byte one below 128 MiB) and the last
// bytes, where the edition block lies, so a huge file cannot make the reader
// take memory beyond that.

#include "geoip/TGeoIPCity.h"
#include "geoip/TLookupResult.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace orvanta::geoip {

class CityDatabaseImage {
public:
    // Throws EFOpenError when the file cannot be opened or read (a directory
    // included), with the same message as TGeoIP.
    explicit CityDatabaseImage(const std::string& fileName);

    struct Walk {
        std::uint32_t value = 0; // terminal value; 0 for a walk through all 32 bits
        int prefixLength = 0;    // address bits the walk used
    };

    // As TGeoIP::LookupCity; `prefixLength` is -1 when no walk was made.
    TLookupResult LookupCity(const std::string& address, TGeoIPCity& record,
                             int& prefixLength) const;
    // The lookup of an address number (non-zero, as TGeoIP::AddressToNumber
    // gives), split so that callers can tell the record position first.
    TLookupResult Find(std::uint32_t address, Walk& walk) const;
    // Find for many addresses at once: the walks go down the tree side by
    // side, each fetching its next node ahead, so the memory waits of one
    // overlap those of the others. Same answers as Find, one by one.
    void FindMany(const std::uint32_t* addresses, std::size_t count, Walk* walks,
                  TLookupResult* results) const;
    // Asks the processor to fetch a record's bytes ahead of DecodeRecord.
    void PrefetchRecord(std::uint32_t terminal) const;
    // Decodes the record of a walk that Find answered lrFound for.
    void DecodeRecord(std::uint32_t terminal, TGeoIPCity& record) const;

    // As TGeoIP::WalkTree.
    Walk WalkTree(std::uint32_t address) const;

    std::uint8_t edition() const { return edition_; }
    const std::vector<std::uint32_t>& segments() const { return segments_; }
    std::int32_t recordLength() const { return recordLength_; }

private:
    void Load(int fd, std::int64_t size, const std::string& fileName);
    std::size_t ReadAt(std::int64_t position, std::uint8_t* buffer, std::size_t size) const;
    std::uint32_t Child(std::uint32_t node, int side) const;
    std::int64_t RecordPosition(std::uint32_t terminal) const;
    void Prefetch(std::int64_t position) const;
    static constexpr std::size_t MaxBatch = 64;
    void FindBatch(const std::uint32_t* addresses, std::size_t count, Walk* walks,
                   TLookupResult* results) const;
    void BuildTopLevels();

    std::vector<std::uint8_t> head_; // the file's first bytes
    std::vector<std::uint8_t> tail_; // its last bytes, when the head is not all of it
    std::int64_t fileSize_ = 0;
    std::uint8_t edition_ = 1;
    std::vector<std::uint32_t> segments_;
    std::int32_t recordLength_ = 3;
    // Where the walk stands after the first TopBits address bits, for every
    // value of them: saves the levels that every lookup walks.
    std::vector<Walk> top_;
};

} // namespace orvanta::geoip
