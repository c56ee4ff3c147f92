// SPDX-License-Identifier: GPL-3.0-or-later
#include "forms/work/RunRowMaker.h"

#include "forms/results/TextPool.h"

#include <algorithm>
#include <functional>
#include <string_view>

void TRunRowMaker::Make(const std::vector<orvanta::bulk::BulkRow>& in, bool capture,
                        std::vector<TResultRow>& rows) {
    // Bounded: a run over more places than this starts afresh, between
    // batches, so that a batch's indices stay good.
    if (made_.size() + in.size() > kMadeCap) {
        made_.clear();
        keys_.clear();
        std::fill(index_.begin(), index_.end(), Known{});
    }
    at_.clear();
    for (const orvanta::bulk::BulkRow& row : in)
        at_.push_back(Template(row));
    // The places of a big run come in no order: the row made for a
    // place is fetched a few rows ahead, so that copying it does not
    // wait for the memory.
    constexpr std::size_t kAhead = 8;
    for (std::size_t k = 0; k < in.size(); ++k) {
        if (k + kAhead < in.size()) {
            const char* ahead = reinterpret_cast<const char*>(&made_[at_[k + kAhead]]);
            for (std::size_t line = 0; line < sizeof(TResultRow); line += 64)
                __builtin_prefetch(ahead + line);
        }
        TResultRow& row = rows.emplace_back(made_[at_[k]]);
        row.address =
            QString::fromLatin1(in[k].address.data(), static_cast<qsizetype>(in[k].address.size()));
        row.count = in[k].count;
        if (capture)
            row.bytes = in[k].bytes;
    }
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
        made_.push_back(MakeShared(in, std::string()));
        keys_.emplace_back();
        index_[at] = {hash, static_cast<std::uint32_t>(made_.size()), in.place};
        return static_cast<std::uint32_t>(made_.size() - 1);
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
    made_.push_back(MakeShared(in, std::string(organisation)));
    keys_.push_back(key_);
    index_[at] = {hash, static_cast<std::uint32_t>(made_.size()), 0};
    return static_cast<std::uint32_t>(made_.size() - 1);
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
