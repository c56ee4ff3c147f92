// SPDX-License-Identifier: GPL-3.0-or-later
#include "bulk/BulkLocate.h"

#include "extract/AddressTally.h"
#include "geoip/AsnDatabaseImage.h"
#include "geoip/CityDatabaseImage.h"
#include "geoip/CityDatabaseImageV6.h"
#include "geoip/EFOpenError.h"
#include "geoip/IPv6Text.h"
#include "geoip/IanaBlocks.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <exception>
#include <mutex>
#include <stdexcept>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>

namespace orvanta::bulk {
namespace {

// An optional file: missing or unreadable is as good as absent.
template <class Image, class... Args>
std::unique_ptr<Image> Optional(const std::string& file, Args... args) {
    if (file.empty())
        return nullptr;
    try {
        return std::make_unique<Image>(file, args...);
    } catch (const geoip::EFOpenError&) {
        return nullptr;
    }
}

geoip::AddressValue ValueOf(const extract::Address& address) {
    geoip::AddressValue value = 0;
    for (int i = 0; i < (address.v6 ? 16 : 4); ++i)
        value = (value << 8) | address.bytes[static_cast<std::size_t>(i)];
    return value;
}

// As SpecialPurposeOf on the address's text, without writing and parsing
// the text: IPv4-mapped addresses by their IPv4 block first.
std::string_view SpecialBlockOf(const extract::Address& address) {
    const geoip::AddressValue value = ValueOf(address);
    std::uint32_t ipv4 = static_cast<std::uint32_t>(value);
    std::optional<std::string_view> name;
    if (!address.v6 || geoip::IsIPv4Mapped(value, ipv4))
        name = geoip::SpecialPurposeOf4(ipv4);
    if (!name && address.v6)
        name = geoip::SpecialPurposeOf6(value);
    return name.value_or(std::string_view());
}

class ImageDatabases : public RunDatabases {
public:
    // The IPv6 files are read when the first IPv6 address comes: most logs
    // have none, and the files are tens of megabytes.
    explicit ImageDatabases(const RunFiles& files)
        : files_(files), city_(files.city),
          organization_(Optional<geoip::AsnDatabaseImage>(files.organization, 32)) {}

    geoip::TLookupResult Lookup(const extract::Address& address,
                                geoip::TGeoIPCity& record) const override {
        int prefixLength = -1;
        if (!address.v6) {
            // The number straight from the scanned bytes: the same answer
            // as the text lookup (which takes 0.0.0.0 and the broadcast
            // address for no address), without writing and parsing a text.
            const auto number = static_cast<std::uint32_t>(ValueOf(address));
            if (number == 0 || number == 0xFFFFFFFFU)
                return geoip::lrInvalidAddress;
            geoip::CityDatabaseImage::Walk walk;
            const geoip::TLookupResult result = city_.Find(number, walk);
            if (result == geoip::lrFound)
                city_.DecodeRecord(walk.value, record);
            return result;
        }
        const geoip::CityDatabaseImageV6* cityV6 = CityV6();
        if (!cityV6)
            return geoip::lrInvalidAddress;
        return cityV6->LookupCity(address.Text(), record, prefixLength);
    }

    void LookupMany(std::span<const extract::Address> addresses, geoip::TGeoIPCity* records,
                    geoip::TLookupResult* results, std::uint32_t* places) const override {
        // The IPv4 addresses walk the tree side by side and their records
        // are fetched ahead, as orvanta-db lookup does.
        numbers_.clear();
        at_.clear();
        for (std::size_t i = 0; i < addresses.size(); ++i) {
            const auto number = static_cast<std::uint32_t>(ValueOf(addresses[i]));
            if (addresses[i].v6 || number == 0 || number == 0xFFFFFFFFU) {
                results[i] = Lookup(addresses[i], records[i]);
                continue;
            }
            numbers_.push_back(number);
            at_.push_back(i);
        }
        if (places)
            std::fill(places, places + addresses.size(), 0);
        walks_.resize(numbers_.size());
        found_.resize(numbers_.size());
        city_.FindMany(numbers_.data(), numbers_.size(), walks_.data(), found_.data());
        for (std::size_t k = 0; k < numbers_.size(); ++k)
            if (found_[k] == geoip::lrFound && Decoded(walks_[k].value).place != walks_[k].value)
                city_.PrefetchRecord(walks_[k].value);
        for (std::size_t k = 0; k < numbers_.size(); ++k) {
            results[at_[k]] = found_[k];
            if (found_[k] != geoip::lrFound)
                continue;
            // Many addresses share a place: its record is decoded once
            // while it is among those seen lately.
            const std::uint32_t place = walks_[k].value;
            Record& decoded = Decoded(place);
            if (decoded.place != place) {
                city_.DecodeRecord(place, decoded.record);
                decoded.place = place;
            }
            records[at_[k]] = decoded.record;
            if (places)
                places[at_[k]] = place;
        }
    }

    // As the per-address OrganizationOf: IPv4-mapped addresses in the IPv4
    // file, 0.0.0.0 in none.
    std::string Organization(const extract::Address& address) const override {
        const geoip::AddressValue value = ValueOf(address);
        std::uint32_t ipv4 = 0;
        if (!address.v6 || geoip::IsIPv4Mapped(value, ipv4)) {
            if (!address.v6)
                ipv4 = static_cast<std::uint32_t>(value);
            if (ipv4 == 0 || !organization_)
                return {};
            return std::string(organization_->Lookup(ipv4).value_or(std::string_view()));
        }
        const geoip::AsnDatabaseImage* organizationV6 = OrganizationV6();
        if (!organizationV6)
            return {};
        return std::string(organizationV6->Lookup(value).value_or(std::string_view()));
    }

private:
    const geoip::CityDatabaseImageV6* CityV6() const {
        std::call_once(cityV6Read_,
                       [this] { cityV6_ = Optional<geoip::CityDatabaseImageV6>(files_.cityV6); });
        return cityV6_.get();
    }
    const geoip::AsnDatabaseImage* OrganizationV6() const {
        std::call_once(organizationV6Read_, [this] {
            organizationV6_ = Optional<geoip::AsnDatabaseImage>(files_.organizationV6, 128);
        });
        return organizationV6_.get();
    }

    RunFiles files_;
    geoip::CityDatabaseImage city_;
    mutable std::once_flag cityV6Read_;
    mutable std::unique_ptr<geoip::CityDatabaseImageV6> cityV6_;
    std::unique_ptr<geoip::AsnDatabaseImage> organization_;
    mutable std::once_flag organizationV6Read_;
    mutable std::unique_ptr<geoip::AsnDatabaseImage> organizationV6_;
    struct Record {
        std::uint32_t place = 0; // 0: the slot is free (no record lies at 0)
        geoip::TGeoIPCity record;
    };
    Record& Decoded(std::uint32_t place) const {
        return decoded_[(place ^ (place >> 15)) % decoded_.size()];
    }
    mutable std::vector<Record> decoded_ = std::vector<Record>(1 << 14);
    // LookupMany's room, kept from batch to batch; one run uses one thread.
    mutable std::vector<std::uint32_t> numbers_;
    mutable std::vector<std::size_t> at_;
    mutable std::vector<geoip::CityDatabaseImage::Walk> walks_;
    mutable std::vector<geoip::TLookupResult> found_;
};

} // namespace

void RunDatabases::LookupMany(std::span<const extract::Address> addresses,
                              geoip::TGeoIPCity* records, geoip::TLookupResult* results,
                              std::uint32_t* places) const {
    for (std::size_t i = 0; i < addresses.size(); ++i) {
        results[i] = Lookup(addresses[i], records[i]);
        if (places)
            places[i] = 0;
    }
}

std::unique_ptr<RunDatabases> OpenRunDatabases(const RunFiles& files) {
    return std::make_unique<ImageDatabases>(files);
}

BulkLocate::BulkLocate(Reader reader, Opener opener)
    : reader_(std::move(reader)), opener_(std::move(opener)) {}

BulkLocate::BulkLocate(Parts parts, Opener opener)
    : reader_(parts.part(0, 0)), parts_(std::move(parts)), opener_(std::move(opener)) {}

namespace {

// Scans what `reader` gives into `tally` until `quit` says so; false when
// it did. `progress` hears of every piece read.
bool ScanText(const BulkLocate::Reader& reader, extract::AddressTally& tally,
              const std::function<bool()>& quit,
              const std::function<void(std::uint64_t)>& progress) {
    // Found addresses go to the tally a batch at a time (see Add).
    std::vector<extract::Address> found;
    found.reserve(BulkLocate::kTallyBatch);
    extract::AddressScanner scanner([&](const extract::Address& a) {
        found.push_back(a);
        if (found.size() == BulkLocate::kTallyBatch) {
            tally.Add(found);
            found.clear();
        }
    });
    std::vector<char> piece(BulkLocate::kPieceBytes);
    while (!quit()) {
        const std::size_t got = reader(piece.data(), piece.size());
        if (got == 0) {
            scanner.Finish();
            tally.Add(found);
            return true;
        }
        scanner.Feed({piece.data(), got});
        progress(got);
    }
    return false;
}

} // namespace

std::uint64_t BulkLocate::SplitPoint() const {
    if (!parts_.part || parts_.size < parts_.splitAbove || parts_.size < 2)
        return 0;
    return parts_.nextLine(parts_.size / 2);
}

bool BulkLocate::ScanAll(extract::AddressTally& tally, const std::atomic<bool>& stop,
                         const BulkHooks& hooks) {
    std::uint64_t read = 0;
    std::atomic<std::uint64_t> readByHelper{0};
    auto report = [&](std::uint64_t got) {
        read += got;
        if (hooks.scanned)
            hooks.scanned(read + readByHelper.load(std::memory_order_relaxed));
    };
    const std::uint64_t split = SplitPoint();
    if (split == 0)
        return ScanText(
            reader_, tally, [&] { return stop.load(std::memory_order_relaxed); }, report);

    // The second half on a thread of its own, at this thread's priority.
    std::atomic<bool> quit{false};
    auto quitting = [&] { return stop.load(std::memory_order_relaxed) || quit.load(); };
    extract::AddressTally later;
    std::exception_ptr failed;
    bool laterDone = false;
    const int priority = ::getpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()));
    std::thread helper([&] {
        (void)::setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()), priority);
        try {
            laterDone = ScanText(parts_.part(split, 0), later, quitting,
                                 [&](std::uint64_t got) { readByHelper += got; });
        } catch (...) {
            failed = std::current_exception();
        }
    });
    bool done = false;
    try {
        done = ScanText(parts_.part(0, split), tally, quitting, report);
    } catch (...) {
        quit = true;
        helper.join();
        throw;
    }
    if (!done)
        quit = true;
    helper.join();
    if (failed)
        std::rethrow_exception(failed);
    if (!done || !laterDone)
        return false;
    tally.Merge(later);
    return true;
}

BulkOutcome BulkLocate::Run(const std::atomic<bool>& stop, const BulkHooks& hooks) {
    extract::AddressTally tally;
    if (!ScanAll(tally, stop, hooks) || stop.load())
        return BulkOutcome::Stopped;
    const auto& entries = tally.Entries();
    if (entries.empty())
        return BulkOutcome::NoAddresses;
    if (hooks.counted)
        hooks.counted(entries.size());

    const std::unique_ptr<RunDatabases> databases = opener_();
    return AnswerRows(
        entries.size(),
        [&](std::size_t i, BulkRow& row) {
            row.count = entries[i].count;
            return entries[i].address;
        },
        *databases, stop, hooks);
}

BulkOutcome AnswerRows(std::size_t total,
                       const std::function<extract::Address(std::size_t, BulkRow&)>& fill,
                       const RunDatabases& databases, const std::atomic<bool>& stop,
                       const BulkHooks& hooks) {
    std::vector<extract::Address> addresses;
    std::vector<geoip::TLookupResult> results;
    std::vector<std::uint32_t> places;
    std::size_t done = 0;
    while (done < total) {
        if (stop.load(std::memory_order_relaxed))
            return BulkOutcome::Stopped;
        const std::size_t end = std::min(total, done + BulkLocate::kBatchRows);
        // The rows' own values first, then the batch's lookups side by side.
        std::vector<BulkRow> batch(end - done);
        addresses.clear();
        for (std::size_t i = done; i < end; ++i)
            addresses.push_back(fill(i, batch[i - done]));
        std::vector<geoip::TGeoIPCity> records(addresses.size());
        results.resize(addresses.size());
        places.resize(addresses.size());
        databases.LookupMany(addresses, records.data(), results.data(), places.data());
        for (std::size_t k = 0; k < batch.size(); ++k) {
            BulkRow& row = batch[k];
            const extract::Address& address = addresses[k];
            row.address = address.Text();
            row.found = results[k] == geoip::lrFound;
            if (row.found) {
                row.record = std::move(records[k]);
                row.place = places[k];
            }
            row.organization = databases.Organization(address);
            row.specialBlock = SpecialBlockOf(address);
        }
        done = end;
        if (hooks.rows)
            hooks.rows(std::move(batch), done, total);
    }
    return BulkOutcome::Done;
}

namespace {

BulkLocate::Reader FileReader(int fd, const std::string& fileName, std::uint64_t from,
                              std::uint64_t to) {
    return [fd, fileName, at = from, to](char* buffer, std::size_t size) mutable -> std::size_t {
        if (to != 0)
            size = static_cast<std::size_t>(std::min<std::uint64_t>(size, to - std::min(at, to)));
        for (;;) {
            if (size == 0)
                return 0;
            const ssize_t got = ::pread(fd, buffer, size, static_cast<off_t>(at));
            if (got >= 0) {
                at += static_cast<std::uint64_t>(got);
                return static_cast<std::size_t>(got);
            }
            if (errno != EINTR)
                throw std::runtime_error("Cannot read file \"" + fileName + "\". " +
                                         std::strerror(errno));
        }
    };
}

} // namespace

BulkLocate::Parts FileParts(int fd, const std::string& fileName, std::uint64_t size) {
    BulkLocate::Parts parts;
    parts.size = size;
    parts.part = [fd, fileName](std::uint64_t from, std::uint64_t to) {
        return FileReader(fd, fileName, from, to);
    };
    parts.nextLine = [fd, fileName](std::uint64_t at) -> std::uint64_t {
        std::vector<char> window(64 * 1024);
        const std::size_t got = FileReader(fd, fileName, at, 0)(window.data(), window.size());
        const void* end = std::memchr(window.data(), '\n', got);
        return end ? at +
                         static_cast<std::uint64_t>(static_cast<const char*>(end) - window.data()) +
                         1
                   : 0;
    };
    return parts;
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
