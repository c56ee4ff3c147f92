#include "BulkLookup.h"

#include "geoip/TGeoIP.h"

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

BulkLookup::BulkLookup(std::string file, AsnFiles asnFiles, LookupFormat format, std::ostream& out)
    : file_(std::move(file)), formatter_(format), out_(out), asnFiles_(std::move(asnFiles)),
      asnSlots_(SlotCount), slots_(SlotCount), addresses_(BatchSize), numbers_(BatchSize),
      usable_(BatchSize), walks_(BatchSize), results_(BatchSize) {
    buffer_.reserve(WriteAbove + 4096);
}

BulkLookup::~BulkLookup() = default;

void BulkLookup::Add(const std::string& address) {
    if (!image_) {
        image_.emplace(file_);
        asn_.emplace(asnFiles_);
    }
    addresses_[queued_++] = address;
    if (queued_ == BatchSize) {
        LookUpBatch();
    }
    if (buffer_.size() >= WriteAbove) {
        out_.write(buffer_.data(), static_cast<std::streamsize>(buffer_.size()));
        buffer_.clear();
    }
}

BulkLookup::Slot& BulkLookup::SlotFor(std::uint32_t terminal) {
    return slots_[(terminal ^ (terminal >> 13)) & (SlotCount - 1)];
}

void BulkLookup::LookUpBatch() {
    std::size_t usable = 0;
    for (std::size_t i = 0; i < queued_; ++i) {
        numbers_[i] = QuickAddressToNumber(addresses_[i]);
        if (numbers_[i] != 0) {
            usable_[usable++] = numbers_[i];
        }
    }
    image_->FindMany(usable_.data(), usable, walks_.data(), results_.data());
    for (std::size_t k = 0; k < usable; ++k) {
        const Slot& slot = SlotFor(walks_[k].value);
        if (results_[k] == geoip::lrFound && !(slot.used && slot.terminal == walks_[k].value)) {
            image_->PrefetchRecord(walks_[k].value);
        }
    }
    std::size_t k = 0;
    for (std::size_t i = 0; i < queued_; ++i) {
        formatter_.AppendAddress(buffer_, addresses_[i]);
        int prefixLength = -1;
        if (numbers_[i] == 0) {
            formatter_.AppendRecord(buffer_, geoip::lrInvalidAddress, EmptyRecord);
        } else {
            if (results_[k] == geoip::lrFound) {
                AppendFoundRecord(walks_[k].value);
            } else {
                formatter_.AppendRecord(buffer_, results_[k], EmptyRecord);
            }
            prefixLength = walks_[k].prefixLength;
            ++k;
        }
        formatter_.AppendNetwork(buffer_, numbers_[i], prefixLength);
        AppendOrganization(i);
        formatter_.AppendEnd(buffer_);
    }
    queued_ = 0;
}

void BulkLookup::AppendFoundRecord(std::uint32_t terminal) {
    Slot& slot = SlotFor(terminal);
    if (!slot.used || slot.terminal != terminal) {
        image_->DecodeRecord(terminal, record_);
        slot.text.clear();
        formatter_.AppendRecord(slot.text, geoip::lrFound, record_);
        slot.terminal = terminal;
        slot.used = true;
    }
    buffer_ += slot.text;
}

void BulkLookup::AppendOrganization(std::size_t index) {
    if (numbers_[index] == 0) {
        // Not an IPv4 address: an IPv6 one, or none at all.
        formatter_.AppendOrganization(buffer_, asn_->Lookup(addresses_[index]));
        return;
    }
    const std::uint32_t terminal = asn_->Terminal4(numbers_[index]);
    Slot& slot = asnSlots_[(terminal ^ (terminal >> 13)) & (SlotCount - 1)];
    if (!slot.used || slot.terminal != terminal) {
        slot.text.clear();
        formatter_.AppendOrganization(slot.text, asn_->Text4(terminal));
        slot.terminal = terminal;
        slot.used = true;
    }
    buffer_ += slot.text;
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
