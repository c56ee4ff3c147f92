// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A run over many addresses at once: reads a text in pieces, finds every
// address in it, then looks each distinct one up in the in-memory city
// databases and hands the answers out in batches, in the order the
// addresses were first seen. Runs on whatever thread calls it; it never
// touches a window.
//
//     BulkLocate run(reader, {"GeoLiteCity.dat"});
//     const BulkOutcome outcome = run.Run(stop, hooks);
#include "extract/AddressScanner.h"
#include "extract/AddressTally.h"
#include "geoip/TGeoIPCity.h"
#include "geoip/TLookupResult.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace orvanta::bulk {

// One distinct address and what the database says of it.
struct BulkRow {
    std::string address;     // canonical text
    std::uint64_t count = 0; // occurrences in a text; packets in a capture
    std::uint64_t bytes = 0; // a capture's bytes on the wire; 0 for a text
    bool found = false;
    geoip::TGeoIPCity record; // empty unless found
    // The record's place in the IPv4 city file: the same for every address
    // of one place, so what is made of a record can be made once per place.
    // 0 when not known (not found, or found in the IPv6 file).
    std::uint32_t place = 0;
    std::string organization; // "" when the organisation files have none
    // The name of the special-purpose block the address lies in
    // ("Private-Use", "Loopback"), empty for other addresses.
    std::string_view specialBlock;
};

// Answers lookups for one run. Made once per run, so a database replaced
// between runs is seen by the next one.
class RunDatabases {
public:
    virtual ~RunDatabases() = default;
    virtual geoip::TLookupResult Lookup(const extract::Address& address,
                                        geoip::TGeoIPCity& record) const = 0;
    // Lookup for each of `addresses`, the same answers; databases that can
    // overlap the lookups of a batch do so. `places`, when given, gets each
    // found record's place in the IPv4 file (see BulkRow::place).
    virtual void LookupMany(std::span<const extract::Address> addresses, geoip::TGeoIPCity* records,
                            geoip::TLookupResult* results, std::uint32_t* places = nullptr) const;
    virtual std::string Organization(const extract::Address& address) const = 0;
};

struct RunFiles {
    std::string city;         // required: its open error ends the run
    std::string cityV6;       // optional, as the organisation files
    std::string organization; // IPv4 (and IPv4-mapped) addresses
    std::string organizationV6;
};

// The database files read into memory once. IPv6 addresses are looked up
// in the IPv6 city file; without it they are not present. The organisation
// files are optional: without them every organisation is "".
std::unique_ptr<RunDatabases> OpenRunDatabases(const RunFiles& files);

enum class BulkOutcome { Done, Stopped, NoAddresses };

struct BulkHooks {
    // Bytes read so far; called after every piece.
    std::function<void(std::uint64_t)> scanned;
    // The distinct addresses found, before any lookup.
    std::function<void(std::size_t)> counted;
    // The next rows; `done` of `total` are now answered.
    std::function<void(std::vector<BulkRow>&&, std::size_t done, std::size_t total)> rows;
};

class BulkLocate {
public:
    // Fills `buffer` with up to `size` bytes and returns how many; 0 at the
    // end of the text. Throws when the text cannot be read.
    using Reader = std::function<std::size_t(char* buffer, std::size_t size)>;
    // Opens the databases once there are addresses to look up.
    using Opener = std::function<std::unique_ptr<RunDatabases>()>;

    // A text that can be read from any place (a regular file, a pasted
    // text): a large one is scanned by two threads at once, each a half of
    // it (cut after a line's end, which no address spans), and their
    // tallies put together in the text's order. Places count in the text's
    // own units (a file's bytes, a pasted text's characters).
    struct Parts {
        std::uint64_t size = 0;
        // A reader from `from` up to `to`; to 0: up to the end, however far
        // the text has grown since.
        std::function<Reader(std::uint64_t from, std::uint64_t to)> part;
        // Where the line after the one at `at` starts; 0 when no line ends
        // near it (one long line, binary junk): then the text is read whole.
        std::function<std::uint64_t(std::uint64_t at)> nextLine;
        std::uint64_t splitAbove = kSplitSize; // a smaller text is read whole
    };

    static constexpr std::size_t kPieceBytes = 1 << 20;
    static constexpr std::uint64_t kSplitSize = 8 << 20;
    static constexpr std::size_t kBatchRows = 2000;
    static constexpr std::size_t kTallyBatch = 256;

    BulkLocate(Reader reader, Opener opener);
    BulkLocate(Parts parts, Opener opener);

    // Reads the whole text, then answers its addresses. `stop` is checked
    // between pieces and between batches: a stopped run hands out no more
    // rows. Errors of the reader or the databases are thrown.
    BulkOutcome Run(const std::atomic<bool>& stop, const BulkHooks& hooks);

private:
    // Scans the text into `tally`; false when stopped.
    bool ScanAll(extract::AddressTally& tally, const std::atomic<bool>& stop,
                 const BulkHooks& hooks);
    // Where the text's second half starts: after the first line end from
    // its middle on; 0 when it is not to be cut.
    std::uint64_t SplitPoint() const;

    Reader reader_;
    Parts parts_;
    Opener opener_;
};

// Looks up `total` addresses in batches and hands the rows out; `fill(i,
// row)` sets row i's counts and returns its address. Shared by every kind
// of many-address run; the same stop and hooks as BulkLocate::Run.
BulkOutcome AnswerRows(std::size_t total,
                       const std::function<extract::Address(std::size_t, BulkRow&)>& fill,
                       const RunDatabases& databases, const std::atomic<bool>& stop,
                       const BulkHooks& hooks);

// A reader over a file descriptor the caller owns; read errors throw with
// the system's text.
BulkLocate::Reader FileReader(int fd, const std::string& fileName);
// The parts of a regular file of `size` bytes, read by position: readers
// of one file's parts may read at once.
BulkLocate::Parts FileParts(int fd, const std::string& fileName, std::uint64_t size);

} // namespace orvanta::bulk
