#include "bulk/BulkLocate.h"

#include "extract/AddressTally.h"
#include "geoip/CityDatabaseImage.h"

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <unistd.h>

namespace orvanta::bulk {
namespace {

class ImageDatabases : public RunDatabases {
public:
    explicit ImageDatabases(const std::string& cityFile) : city_(cityFile) {}

    geoip::TLookupResult Lookup(const extract::Address& address,
                                geoip::TGeoIPCity& record) const override {
        if (address.v6)
            return geoip::lrInvalidAddress;
        int prefixLength = -1;
        return city_.LookupCity(address.Text(), record, prefixLength);
    }

private:
    geoip::CityDatabaseImage city_;
};

} // namespace

std::unique_ptr<RunDatabases> OpenRunDatabases(const std::string& cityFile) {
    return std::make_unique<ImageDatabases>(cityFile);
}

BulkLocate::BulkLocate(Reader reader, Opener opener)
    : reader_(std::move(reader)), opener_(std::move(opener)) {}

BulkOutcome BulkLocate::Run(const std::atomic<bool>& stop, const BulkHooks& hooks) {
    extract::AddressTally tally;
    extract::AddressScanner scanner([&](const extract::Address& a) { tally.Add(a); });
    std::vector<char> piece(kPieceBytes);
    std::uint64_t read = 0;
    while (!stop.load(std::memory_order_relaxed)) {
        const std::size_t got = reader_(piece.data(), piece.size());
        if (got == 0)
            break;
        scanner.Feed({piece.data(), got});
        read += got;
        if (hooks.scanned)
            hooks.scanned(read);
    }
    if (stop.load())
        return BulkOutcome::Stopped;
    scanner.Finish();
    const std::vector<extract::Tallied>& entries = tally.Entries();
    if (entries.empty())
        return BulkOutcome::NoAddresses;
    if (hooks.counted)
        hooks.counted(entries.size());

    const std::unique_ptr<RunDatabases> databases = opener_();
    std::size_t done = 0;
    while (done < entries.size()) {
        if (stop.load(std::memory_order_relaxed))
            return BulkOutcome::Stopped;
        const std::size_t end = std::min(entries.size(), done + kBatchRows);
        std::vector<BulkRow> batch;
        batch.reserve(end - done);
        for (std::size_t i = done; i < end; ++i) {
            BulkRow row;
            row.address = entries[i].address.Text();
            row.count = entries[i].count;
            geoip::TGeoIPCity record;
            row.found = databases->Lookup(entries[i].address, record) == geoip::lrFound;
            if (row.found)
                row.record = std::move(record);
            batch.push_back(std::move(row));
        }
        done = end;
        if (hooks.rows)
            hooks.rows(std::move(batch), done, entries.size());
    }
    return BulkOutcome::Done;
}

BulkLocate::Reader FileReader(int fd, const std::string& fileName) {
    return [fd, fileName](char* buffer, std::size_t size) -> std::size_t {
        for (;;) {
            const ssize_t got = ::read(fd, buffer, size);
            if (got >= 0)
                return static_cast<std::size_t>(got);
            if (errno != EINTR)
                throw std::runtime_error("Cannot read file \"" + fileName + "\". " +
                                         std::strerror(errno));
        }
    };
}

} // namespace orvanta::bulk
