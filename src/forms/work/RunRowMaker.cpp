// SPDX-License-Identifier: GPL-3.0-or-later
#include "forms/work/RunRowMaker.h"

#include "forms/results/TextPool.h"

#include <algorithm>
#include <functional>
#include <stdexcept>
#include <string_view>

void TRunRowMaker::Renew() {
    // Earlier pieces keep the store they were made on.
    made_ = std::make_shared<TSharedRows>();
    keys_.clear();
    std::fill(index_.begin(), index_.end(), Known{});
}

void TRunRowMaker::Make(std::span<const orvanta::bulk::BulkRow> in, bool capture, TRunRows& rows) {
    if (in.size() > kBatch || !Fits(in.size()) || rows.Shared() != made_.get())
        throw std::logic_error("rows made past their store of shared values");
    for (const orvanta::bulk::BulkRow& row : in)
        rows.Add(row.address, Template(row), row.count,
                 capture ? std::optional(row.bytes) : std::nullopt);
}

std::uint32_t TRunRowMaker::Template(const orvanta::bulk::BulkRow& in) {
    // Without an organisation record, a special-purpose block's name
    // stands in the Organization cell.
    const std::string_view organisation =
        in.organization.empty() ? in.specialBlock : std::string_view(in.organization);
    const std::size_t mask = index_.size() - 1;
    if (in.place != 0 && organisation.empty()) {
        // Most rows: a place and nothing else, found by its number alone.
        const std::size_t hash = (in.place * 0x9E3779B97F4A7C15ULL) >> 17;
        std::size_t at = hash & mask;
        for (; index_[at].made != 0; at = (at + 1) & mask)
            if (index_[at].place == in.place)
                return index_[at].made - 1;
        const std::uint32_t made = made_->Add(MakeShared(in, std::string()));
        keys_.emplace_back();
        index_[at] = {hash, made + 1, in.place};
        return made;
    }
    key_.clear();
    if (in.place != 0) {
        // The record's place names the record: no need to read its texts.
        key_ += 'p';
        key_.append(reinterpret_cast<const char*>(&in.place), sizeof in.place);
    } else if (in.found) {
        key_ += 't';
        const auto& r = in.record;
        for (const std::string* field : {&r.CountryCode, &r.CountryName, &r.Region, &r.City}) {
            key_ += *field;
            key_ += '\x1f';
        }
        key_.append(reinterpret_cast<const char*>(&r.Latitude), sizeof r.Latitude);
        key_.append(reinterpret_cast<const char*>(&r.Longitude), sizeof r.Longitude);
    } else {
        key_ += 'n';
    }
    key_ += organisation;
    const std::size_t hash = std::hash<std::string>{}(key_);
    std::size_t at = hash & mask;
    for (; index_[at].made != 0; at = (at + 1) & mask) {
        const Known& known = index_[at];
        if (known.place == 0 && known.hash == hash && keys_[known.made - 1] == key_)
            return known.made - 1;
    }
    const std::uint32_t made = made_->Add(MakeShared(in, std::string(organisation)));
    keys_.push_back(key_);
    index_[at] = {hash, made + 1, 0};
    return made;
}

TResultRow TRunRowMaker::MakeShared(const orvanta::bulk::BulkRow& in,
                                    const std::string& organisationText) {
    TResultRow row;
    Slot& organisation = Seen(organisationText, 'o');
    if (organisation.text.isNull()) {
        SetOrganisationText(row, QString::fromStdString(organisationText));
        organisation.text = row.organization.isEmpty() ? row.organization
                                                       : PooledUtf8(row.organization.toStdString());
        organisation.asn = row.asn;
    }
    row.organization = organisation.text;
    row.asn = organisation.asn;
    if (!in.found)
        return row;
    const auto& r = in.record;
    row.found = true;
    row.countryCode = Latin1(r.CountryCode, 'c');
    row.countryName = Latin1(r.CountryName, 'n');
    row.region = Latin1(r.Region, 'r');
    row.city = Latin1(r.City, 't');
    row.latitude = r.Latitude;
    row.longitude = r.Longitude;
    return row;
}

TRunRowMaker::Slot& TRunRowMaker::Seen(const std::string& bytes, char kind) {
    textKey_.assign(1, kind);
    textKey_ += bytes;
    Slot& slot = texts_[std::hash<std::string>{}(textKey_) % texts_.size()];
    if (slot.key != textKey_) {
        slot.key = textKey_;
        slot.text = QString();
        slot.asn.reset();
    }
    return slot;
}

QString TRunRowMaker::Latin1(const std::string& bytes, char kind) {
    Slot& slot = Seen(bytes, kind);
    if (slot.text.isNull())
        slot.text = PooledLatin1(bytes);
    return slot.text;
}
