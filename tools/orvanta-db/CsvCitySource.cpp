// SPDX-License-Identifier: GPL-3.0-or-later
#include "CsvCitySource.h"

#include "CsvRangeRows.h"
#include "geoip/IPv6Text.h"
#include "geoipwriter/CountryMapping.h"
#include "geoipwriter/TextConversion.h"

#include <algorithm>
#include <arpa/inet.h>
#include <charconv>
#include <cmath>
#include <cstring>
#include <fstream>
#include <optional>
#include <unordered_map>

namespace orvanta::dbtool {
namespace {

enum Column : std::size_t {
    RangeStart,
    RangeEnd,
    Country,
    State1,
    State2,
    City,
    Postcode,
    Latitude,
    Longitude,
    ColumnCount
};

constexpr double LowestCoordinate = -180.0;
constexpr double HighestCoordinate = 1497.7215; // (2^24 - 1) / 10000 - 180

// Shown in messages with its quotes, cut when long, so that a binary field
// does not flood the terminal.
std::string Quoted(std::string_view text) {
    constexpr std::size_t shown = 40;
    std::string out(1, '"');
    out += text.substr(0, shown);
    out += text.size() > shown ? "...\"" : "\"";
    return out;
}

class RowImporter {
public:
    RowImporter(const std::string& name, int addressBits, CsvImport& result)
        : name_(name), ipv6_(addressBits == 128), result_(result) {}

    void Import(const std::vector<std::string>& fields, std::size_t line) {
        line_ = line;
        if (fields.size() < ColumnCount) {
            Fail("expected at least " + std::to_string(ColumnCount) + " fields, found " +
                 std::to_string(fields.size()));
        }
        const std::string_view start = TrimBlanks(fields[RangeStart]);
        const std::string_view end = TrimBlanks(fields[RangeEnd]);
        const bool ipv6Row =
            start.find(':') != std::string_view::npos || end.find(':') != std::string_view::npos;
        geoip::IndexedRange range;
        if (ipv6Row) {
            range.first = Ipv6(start, "ip_range_start");
            range.last = Ipv6(end, "ip_range_end");
        } else {
            range.first = Ipv4(start, "ip_range_start");
            range.last = Ipv4(end, "ip_range_end");
        }
        // Rows of the other family are checked as addresses, then counted.
        if (ipv6Row != ipv6_) {
            ++(ipv6Row ? result_.ipv6Skipped : result_.ipv4Skipped);
            return;
        }
        if (range.first > range.last) {
            Fail("ip_range_end " + Quoted(end) + " lies before ip_range_start " + Quoted(start));
        }
        range.recordIndex = RecordIndex(Record(fields));
        result_.set.ranges.push_back(range);
        lines_.push_back(line);
        ++result_.rangesRead;
    }

    // Overlapping rows are refused here rather than by the writer, so that
    // the message can name both lines; the rows may come in any order.
    void CheckOverlaps() const {
        const std::vector<geoip::IndexedRange>& ranges = result_.set.ranges;
        std::vector<std::uint32_t> order(ranges.size());
        for (std::size_t i = 0; i < order.size(); ++i) {
            order[i] = static_cast<std::uint32_t>(i);
        }
        std::sort(order.begin(), order.end(), [&ranges](std::uint32_t a, std::uint32_t b) {
            return ranges[a].first < ranges[b].first;
        });
        for (std::size_t i = 1; i < order.size(); ++i) {
            const geoip::IndexedRange& before = ranges[order[i - 1]];
            const geoip::IndexedRange& after = ranges[order[i]];
            if (after.first <= before.last) {
                const std::size_t first = std::min(lines_[order[i - 1]], lines_[order[i]]);
                const std::size_t second = std::max(lines_[order[i - 1]], lines_[order[i]]);
                throw SourceError(name_ + ":" + std::to_string(second) +
                                  ": the range overlaps the range of line " +
                                  std::to_string(first));
            }
        }
    }

private:
    [[noreturn]] void Fail(const std::string& what) const {
        throw SourceError(name_ + ":" + std::to_string(line_) + ": " + what);
    }

    std::uint32_t Ipv4(std::string_view text, const char* column) const {
        in_addr address{};
        if (::inet_pton(AF_INET, std::string(text).c_str(), &address) != 1) {
            Fail(std::string(column) + " " + Quoted(text) + " is not an IPv4 address");
        }
        return ntohl(address.s_addr);
    }

    geoip::AddressValue Ipv6(std::string_view text, const char* column) const {
        const std::optional<geoip::AddressValue> address =
            geoip::ParseIPv6Address(std::string(text));
        if (!address) {
            Fail(std::string(column) + " " + Quoted(text) + " is not an IPv6 address");
        }
        return *address;
    }

    double Coordinate(std::string_view text, const char* column) const {
        text = TrimBlanks(text);
        double value = 0;
        auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (text.empty() || error != std::errc() || end != text.data() + text.size() ||
            !std::isfinite(value)) {
            Fail(std::string(column) + " " + Quoted(text) + " is not a number");
        }
        value = geoip::RoundCoordinate(value);
        if (value < LowestCoordinate || value > HighestCoordinate) {
            Fail(std::string(column) + " " + Quoted(text) + " is outside -180 to 1497.7215");
        }
        return value;
    }

    geoip::CityRecordData Record(const std::vector<std::string>& fields) {
        geoip::CityRecordData record;
        const std::string_view code = TrimBlanks(fields[Country]);
        const geoip::CountryMapping country = geoip::MapCountryCode(code);
        if (!country.known) {
            ++result_.unknownCodes[std::string(code)];
        }
        record.countryIndex = country.index;
        record.region = geoip::Utf8ToLatin1(fields[State1]);
        record.city = geoip::Utf8ToLatin1(fields[City]);
        record.postalCode = geoip::Utf8ToLatin1(fields[Postcode]);
        if (record.region.find('\0') != std::string::npos ||
            record.city.find('\0') != std::string::npos ||
            record.postalCode.find('\0') != std::string::npos) {
            Fail("a text contains a NUL byte");
        }
        record.latitude = Coordinate(fields[Latitude], "latitude");
        record.longitude = Coordinate(fields[Longitude], "longitude");
        return record;
    }

    // Equal records are stored once, so a million rows of a few thousand
    // places keep a few thousand records.
    std::uint32_t RecordIndex(geoip::CityRecordData record) {
        std::string key;
        key += static_cast<char>(record.countryIndex);
        for (const std::string* text : {&record.region, &record.city, &record.postalCode}) {
            key += *text;
            key += '\0';
        }
        char numbers[2 * sizeof(double)];
        std::memcpy(numbers, &record.latitude, sizeof(double));
        std::memcpy(numbers + sizeof(double), &record.longitude, sizeof(double));
        key.append(numbers, sizeof numbers);
        auto [entry, added] = known_.try_emplace(
            std::move(key), static_cast<std::uint32_t>(result_.set.records.size()));
        if (added) {
            result_.set.records.push_back(std::move(record));
        }
        return entry->second;
    }

    const std::string& name_;
    bool ipv6_; // the IPv6 rows are imported, else the IPv4 ones
    CsvImport& result_;
    std::size_t line_ = 0;
    std::vector<std::size_t> lines_; // per range, the line it came from
    std::unordered_map<std::string, std::uint32_t> known_;
};

} // namespace

CsvImport LoadCityCsv(std::istream& in, const std::string& name, int addressBits) {
    CsvImport result;
    RowImporter importer(name, addressBits, result);
    ForEachRangeRow(in, name,
                    [&importer](const std::vector<std::string>& fields, std::size_t line) {
                        importer.Import(fields, line);
                    });
    importer.CheckOverlaps();
    return result;
}

CsvImport LoadCityCsvFile(const std::string& path, int addressBits) {
    std::ifstream in = OpenCsvFile(path);
    return LoadCityCsv(in, path, addressBits);
}

} // namespace orvanta::dbtool
