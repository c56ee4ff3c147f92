// SPDX-License-Identifier: GPL-3.0-or-later
#include "mmdbimport/MmdbCityImporter.h"

#include "geoip/Editions.h"
#include "geoipwriter/CityDatabaseWriter.h"
#include "geoipwriter/CountryMapping.h"
#include "geoipwriter/TextConversion.h"
#include "mmdbimport/ImportError.h"
#include "mmdbimport/MmdbDatabase.h"
#include "mmdbimport/MmdbRecordDecoder.h"
#include "mmdbimport/MmdbTreeWalker.h"
#include "mmdbimport/Progress.h"
#include "mmdbimport/RangeSetCompactor.h"

#include <unordered_map>

namespace orvanta::mmdbimport {
namespace {

// What a 3-byte coordinate number can hold: v / 10000 - 180 for v up to 2^24-1.
constexpr double kLowestCoordinate = -180.0;
constexpr double kHighestCoordinate = 1497.7215;
constexpr std::uint32_t kLargestDmaCode = geoip::MaxThreeByteValue / 1000;

std::string Upper(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
    return text;
}

class Conversion {
public:
    Conversion(const MmdbDatabase& database, const ImportOptions& options, ImportStats& stats)
        : database_(database), stats_(stats), thirdNumber_(ThirdNumber(options.edition)) {}

    geoip::CityRecordData Convert(const SourceRecord& source, std::uint32_t offset,
                                  std::string& countryCode) {
        countryCode = Upper(source.countryCode);
        geoip::CityRecordData record;
        if (countryCode.empty()) {
            ++stats_.withoutCountry;
        } else {
            const geoip::CountryMapping mapping = geoip::MapCountryCode(countryCode);
            if (!mapping.known)
                ++stats_.unknownCountries[countryCode];
            record.countryIndex = mapping.index;
        }
        record.region = geoip::Utf8ToLatin1(source.region);
        record.city = geoip::Utf8ToLatin1(source.city);
        record.postalCode = geoip::Utf8ToLatin1(source.postalCode);
        record.latitude = Coordinate(source.latitude, "latitude", offset);
        record.longitude = Coordinate(source.longitude, "longitude", offset);
        if (thirdNumber_ && countryCode == "US" && source.metroCode != 0) {
            if (source.metroCode > kLargestDmaCode)
                throw ImportError("The data record at offset " + std::to_string(offset) + " of \"" +
                                  database_.path() + "\" has metro code " +
                                  std::to_string(source.metroCode) + ", more than the format's " +
                                  std::to_string(kLargestDmaCode));
            record.dmaCode = std::int32_t(source.metroCode);
        }
        return record;
    }

private:
    double Coordinate(double degrees, const char* field, std::uint32_t offset) const {
        const double rounded = geoip::RoundCoordinate(degrees);
        if (!(rounded >= kLowestCoordinate && rounded <= kHighestCoordinate))
            throw ImportError("The data record at offset " + std::to_string(offset) + " of \"" +
                              database_.path() + "\" has " + field + " " + std::to_string(degrees) +
                              ", outside what the format stores (-180 to 1497.7215)");
        return rounded;
    }

    static bool ThirdNumber(int edition) {
        const geoip::EditionInfo* info =
            edition >= 0 && edition <= 255 ? geoip::FindEdition(std::uint8_t(edition)) : nullptr;
        return info && info->usThirdNumber;
    }

    const MmdbDatabase& database_;
    ImportStats& stats_;
    bool thirdNumber_; // the metro code becomes DmaCode
};

int AddressBits(int edition) {
    const geoip::EditionInfo* info =
        edition >= 0 && edition <= 255 ? geoip::FindEdition(std::uint8_t(edition)) : nullptr;
    return info ? info->treeDepth : 32;
}

} // namespace

MmdbCityImporter::MmdbCityImporter(ImportOptions options, Progress& progress)
    : options_(options), progress_(progress) {}

ImportedDatabase MmdbCityImporter::Import(const std::string& path) const {
    const MmdbDatabase database(path);
    ImportedDatabase result;
    ImportStats& stats = result.stats;
    stats.databaseType = database.databaseType();
    stats.ipVersion = database.ipVersion();
    stats.sourceNodes = database.nodeCount();

    progress_.Start("reading", database.nodeCount());
    const int bits = AddressBits(options_.edition);
    stats.addressBits = bits;
    TreeWalk walk = MmdbTreeWalker(database, bits).Walk([this](std::uint64_t done) {
        progress_.Advance(done);
    });
    progress_.Finish();
    stats.nodesVisited = walk.nodesVisited;
    stats.sourceRanges = walk.ranges.size();

    // A database without a single IPv4 answer would be written as a file
    // that finds nothing; that is a wrong source, not a result.
    if (walk.ranges.empty() && bits == 128)
        throw NoFamilyDataError(
            "\"" + path + "\" holds no IPv6 data outside the IPv4 parts; nothing was written");
    if (walk.ranges.empty())
        throw NoFamilyDataError(
            "\"" + path + "\" holds no IPv4 data" +
            (database.ipVersion() == 6
                 ? " (the ::/96 part of this IPv6 database is empty; IPv4-mapped "
                   "networks are not read, use the database's IPv4 edition)"
                 : "") +
            "; nothing was written");
    const MmdbRecordDecoder decoder(database);
    stats.shape = decoder.DetectShape(walk.ranges.front().dataOffset);

    progress_.Start("decoding", walk.ranges.size());
    Conversion conversion(database, options_, stats);
    std::unordered_map<std::uint32_t, std::uint32_t> byOffset;
    auto& set = result.set;
    set.ranges.reserve(walk.ranges.size());
    for (std::size_t i = 0; i < walk.ranges.size(); ++i) {
        const DataRange& range = walk.ranges[i];
        auto [it, inserted] = byOffset.try_emplace(range.dataOffset, std::uint32_t(0));
        if (inserted) {
            it->second = std::uint32_t(set.records.size());
            std::string countryCode;
            set.records.push_back(conversion.Convert(decoder.Decode(range.dataOffset, stats.shape),
                                                     range.dataOffset, countryCode));
            result.countryCodes.push_back(std::move(countryCode));
        }
        set.ranges.push_back({range.first, range.last, it->second});
        if (i % 65536 == 0)
            progress_.Advance(i);
    }
    progress_.Finish();
    stats.sourceRecords = byOffset.size();
    walk = {};

    RangeSetCompactor::Compact(result);
    return result;
}

} // namespace orvanta::mmdbimport
