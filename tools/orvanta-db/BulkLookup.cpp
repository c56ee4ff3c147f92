// SPDX-License-Identifier: GPL-3.0-or-later
#include "BulkLookup.h"

#include "geoip/EFOpenError.h"
#include "geoip/IPv6Text.h"
#include "geoip/IanaBlocks.h"
#include "geoip/TGeoIP.h"

#include <iostream>
#include <ostream>

namespace orvanta::dbtool {
namespace {

constexpr std::size_t WriteAbove = std::size_t(1) << 16;
constexpr std::size_t SlotCount = std::size_t(1) << 15; // a power of two
constexpr std::size_t BatchSize = 32;

const geoip::TGeoIPCity EmptyRecord{};

} // namespace

std::uint32_t QuickAddressToNumber(const std::string& address) {
    std::uint32_t number = 0;
    std::size_t at = 0;
    for (int part = 0; part < 4; ++part) {
        if (part > 0) {
            if (at >= address.size() || address[at] != '.') {
                return geoip::TGeoIP::AddressToNumber(address);
            }
            ++at;
        }
        const std::size_t start = at;
        std::uint32_t value = 0;
        while (at < address.size() && at - start < 3 && address[at] >= '0' && address[at] <= '9') {
            value = value * 10 + static_cast<std::uint32_t>(address[at] - '0');
            ++at;
        }
        // Leading zeros mean octal to inet_addr, and longer or larger parts
        // other forms: all left to it.
        const std::size_t digits = at - start;
        if (digits == 0 || value > 255 || (digits > 1 && address[start] == '0')) {
            return geoip::TGeoIP::AddressToNumber(address);
        }
        number = number << 8 | value;
    }
    if (at != address.size()) {
        return geoip::TGeoIP::AddressToNumber(address);
    }
    return number == 0xFFFFFFFFu ? 0 : number; // inet_addr's failure value
}

BulkLookup::BulkLookup(std::string file, std::string file6, AsnFiles asnFiles, LookupFormat format,
                       std::ostream& out, std::ostream& err)
    : file_(std::move(file)), file6_(std::move(file6)), formatter_(format), out_(out), err_(err),
      asnFiles_(std::move(asnFiles)), asnTerminals_(BatchSize), slots_(SlotCount),
      addresses_(BatchSize), afterAddresses_(BatchSize), numbers_(BatchSize), usable_(BatchSize),
      walks_(BatchSize), results_(BatchSize), slots6_(SlotCount), families_(BatchSize),
      numbers6_(BatchSize), usable6_(BatchSize), walks6_(BatchSize), results6_(BatchSize) {
    buffer_.reserve(WriteAbove + 4096);
}

BulkLookup::BulkLookup(std::string file, LookupFormat format, std::ostream& out)
    : BulkLookup(std::move(file), "GeoLiteCityv6.dat", AsnFiles{}, format, out, std::cerr) {}

BulkLookup::~BulkLookup() = default;

void BulkLookup::Add(const std::string& address) {
    Add(address, {});
}

void BulkLookup::Add(const std::string& address, std::string_view afterAddress) {
    // The organisation files are read with the first address, whatever
    // its family.
    if (!asn_) {
        asn_.emplace(asnFiles_);
    }
    afterAddresses_[queued_].assign(afterAddress);
    addresses_[queued_++] = address;
    if (queued_ == BatchSize) {
        LookUpBatch();
    }
    if (buffer_.size() >= WriteAbove) {
        out_.write(buffer_.data(), static_cast<std::streamsize>(buffer_.size()));
        buffer_.clear();
    }
}

BulkLookup::Slot& BulkLookup::SlotFor(std::vector<Slot>& slots, std::uint32_t terminal) {
    return slots[(terminal ^ (terminal >> 13)) & (SlotCount - 1)];
}

bool BulkLookup::OpenIPv6() {
    if (!image6_ && !ipv6Failed_) {
        try {
            image6_.emplace(file6_);
        } catch (const geoip::EFOpenError& error) {
            err_ << error.what() << '\n';
            ipv6Failed_ = true;
        }
    }
    return image6_.has_value();
}

// inet_addr never takes a colon, so texts with one are only tried as IPv6.
// Every text but an IPv6 one is answered from the IPv4 file (an unusable
// text too, as a single lookup does), which is read on the first of them.
BulkLookup::Family BulkLookup::Classify(std::size_t i) {
    const std::string& address = addresses_[i];
    numbers_[i] = 0;
    std::optional<geoip::AddressValue> value;
    std::uint32_t mapped = 0;
    if (address.find(':') == std::string::npos) {
        numbers_[i] = QuickAddressToNumber(address);
    } else if ((value = geoip::ParseIPv6Address(address)) && geoip::IsIPv4Mapped(*value, mapped)) {
        numbers_[i] = mapped == 0xFFFFFFFFu ? 0 : mapped; // as inet_addr would give it
    } else if (value) {
        numbers6_[i] = *value;
        return OpenIPv6() ? Family::IPv6 : Family::IPv6Unavailable;
    }
    if (!image_) {
        image_.emplace(file_);
    }
    return numbers_[i] != 0 ? Family::IPv4 : Family::Invalid;
}

void BulkLookup::LookUpBatch() {
    std::size_t usable = 0;
    std::size_t usable6 = 0;
    for (std::size_t i = 0; i < queued_; ++i) {
        families_[i] = Classify(i);
        if (families_[i] == Family::IPv4) {
            usable_[usable++] = numbers_[i];
        } else if (families_[i] == Family::IPv6) {
            usable6_[usable6++] = numbers6_[i];
        }
    }
    if (usable > 0) {
        image_->FindMany(usable_.data(), usable, walks_.data(), results_.data());
        asn_->Terminals4(usable_.data(), usable, asnTerminals_.data());
        for (std::size_t k = 0; k < usable; ++k) {
            asnPieces_.PrefetchEntry(asnTerminals_[k]);
        }
    }
    if (usable6 > 0) {
        image6_->FindMany(usable6_.data(), usable6, walks6_.data(), results6_.data());
        for (std::size_t k = 0; k < usable6; ++k) {
            if (results6_[k] == geoip::lrFound) {
                image6_->PrefetchRecord(walks6_[k].value);
            }
        }
    }
    for (std::size_t k = 0; k < usable; ++k) {
        const Slot& slot = SlotFor(slots_, walks_[k].value);
        if (results_[k] == geoip::lrFound) {
            if (slot.used && slot.terminal == walks_[k].value) {
                // The text kept lies elsewhere on the heap: fetch it ahead too.
                __builtin_prefetch(slot.text.data());
            } else {
                image_->PrefetchRecord(walks_[k].value);
            }
        }
        asnPieces_.PrefetchPiece(asnTerminals_[k]);
    }
    std::size_t k = 0;
    std::size_t k6 = 0;
    for (std::size_t i = 0; i < queued_; ++i) {
        if (families_[i] == Family::IPv6Unavailable) {
            continue;
        }
        formatter_.AppendAddress(buffer_, addresses_[i]);
        buffer_ += afterAddresses_[i];
        if (families_[i] == Family::IPv6) {
            AppendIPv6Answer(results6_[k6], walks6_[k6], numbers6_[i]);
            const bool usable = results6_[k6] != geoip::lrInvalidAddress;
            ++k6;
            AppendOrganizationOf(addresses_[i]);
            formatter_.AppendSpecial(buffer_, usable ? geoip::SpecialPurposeOf6(numbers6_[i])
                                                     : std::nullopt);
            formatter_.AppendEnd(buffer_);
            continue;
        }
        int prefixLength = -1;
        std::optional<std::uint32_t> asnTerminal;
        if (families_[i] == Family::Invalid) {
            formatter_.AppendRecord(buffer_, geoip::lrInvalidAddress, EmptyRecord);
        } else {
            asnTerminal = asnTerminals_[k];
            if (results_[k] == geoip::lrFound) {
                AppendFoundRecord(walks_[k].value);
            } else {
                formatter_.AppendRecord(buffer_, results_[k], EmptyRecord);
            }
            prefixLength = walks_[k].prefixLength;
            ++k;
        }
        formatter_.AppendNetwork(buffer_, numbers_[i], prefixLength);
        if (asnTerminal) {
            AppendOrganization4(*asnTerminal);
        } else {
            AppendOrganizationOf(addresses_[i]);
        }
        formatter_.AppendSpecial(buffer_, families_[i] == Family::Invalid
                                              ? std::nullopt
                                              : geoip::SpecialPurposeOf4(numbers_[i]));
        formatter_.AppendEnd(buffer_);
    }
    queued_ = 0;
}

void BulkLookup::AppendIPv6Answer(geoip::TLookupResult result,
                                  const geoip::CityDatabaseImageV6::Walk& walk,
                                  geoip::AddressValue number) {
    if (result == geoip::lrFound) {
        // The IPv6 file's records have a cache of their own: terminal
        // values of the two files name different records.
        Slot& slot = SlotFor(slots6_, walk.value);
        if (!slot.used || slot.terminal != walk.value) {
            image6_->DecodeRecord(walk.value, record_);
            slot.text.clear();
            formatter_.AppendRecord(slot.text, geoip::lrFound, record_);
            slot.terminal = walk.value;
            slot.used = true;
        }
        buffer_ += slot.text;
    } else {
        formatter_.AppendRecord(buffer_, result, EmptyRecord);
    }
    formatter_.AppendIPv6Network(buffer_, number, walk.prefixLength);
}

void BulkLookup::AppendFoundRecord(std::uint32_t terminal) {
    Slot& slot = SlotFor(slots_, terminal);
    if (!slot.used || slot.terminal != terminal) {
        image_->DecodeRecord(terminal, record_);
        slot.text.clear();
        formatter_.AppendRecord(slot.text, geoip::lrFound, record_);
        slot.terminal = terminal;
        slot.used = true;
    }
    buffer_ += slot.text;
}

// Not an IPv4 address: an IPv6 one, or none at all.
void BulkLookup::AppendOrganizationOf(const std::string& address) {
    formatter_.AppendOrganization(buffer_, asn_->Lookup(address));
}

void BulkLookup::AppendOrganization4(std::uint32_t terminal) {
    std::string_view piece = asnPieces_.Find(terminal);
    if (piece.data() == nullptr) {
        asnScratch_.clear();
        formatter_.AppendOrganization(asnScratch_, asn_->Text4(terminal));
        piece = asnPieces_.Insert(terminal, asnScratch_);
    }
    buffer_.append(piece);
}

void BulkLookup::Flush() {
    if (queued_ > 0) {
        LookUpBatch();
    }
    out_.write(buffer_.data(), static_cast<std::streamsize>(buffer_.size()));
    buffer_.clear();
    out_.flush();
}

} // namespace orvanta::dbtool
