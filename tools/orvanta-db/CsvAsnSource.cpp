// SPDX-License-Identifier: GPL-3.0-or-later
#include "CsvAsnSource.h"

#include "CsvCitySource.h"
#include "CsvRangeRows.h"
#include "geoip/TextRecord.h"

#include <arpa/inet.h>
#include <charconv>
#include <cstring>
#include <fstream>

namespace orvanta::dbtool {
namespace {

enum Column : std::size_t { RangeStart, RangeEnd, Number, Organization, ColumnCount };

std::string Quoted(std::string_view text) {
    constexpr std::size_t shown = 40;
    std::string out(1, '"');
    out += text.substr(0, shown);
    out += text.size() > shown ? "...\"" : "\"";
    return out;
}

class AsnRowImporter {
public:
    AsnRowImporter(const std::string& name, bool ipv6, AsnCsvImport& result)
        : name_(name), ipv6_(ipv6), result_(result) {}

    void Import(const std::vector<std::string>& fields, std::size_t line) {
        line_ = line;
        if (fields.size() < ColumnCount) {
            Fail("expected at least " + std::to_string(ColumnCount) + " fields, found " +
                 std::to_string(fields.size()));
        }
        geoip::AsnRange range;
        range.first = Address(TrimBlanks(fields[RangeStart]), "ip_range_start");
        range.last = Address(TrimBlanks(fields[RangeEnd]), "ip_range_end");
        if (range.first > range.last) {
            Fail("ip_range_end " + Quoted(TrimBlanks(fields[RangeEnd])) +
                 " lies before ip_range_start " + Quoted(TrimBlanks(fields[RangeStart])));
        }
        const std::string_view number = TrimBlanks(fields[Number]);
        std::uint32_t value = 0;
        auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
        if (number.empty() || error != std::errc() || end != number.data() + number.size()) {
            Fail("autonomous_system_number " + Quoted(number) + " is not an AS number");
        }
        if (fields[Organization].find('\0') != std::string::npos) {
            Fail("autonomous_system_organization contains a NUL byte");
        }
        geoip::FittedText text = geoip::AsnRecordText(value, TrimBlanks(fields[Organization]));
        result_.shortened += text.shortened ? 1 : 0;
        range.textIndex = result_.set.TextIndex(text.text);
        result_.set.ranges.push_back(range);
        ++result_.rangesRead;
    }

private:
    [[noreturn]] void Fail(const std::string& what) const {
        throw SourceError(name_ + ":" + std::to_string(line_) + ": " + what);
    }

    geoip::AddressValue Address(std::string_view text, const char* column) const {
        const std::string copy(text);
        const bool looksIpv6 = copy.find(':') != std::string::npos;
        if (looksIpv6 != ipv6_) {
            Fail(std::string(column) + " " + Quoted(text) + " is an " +
                 (looksIpv6 ? "IPv6" : "IPv4") + " address; this build takes " +
                 (ipv6_ ? "IPv6" : "IPv4") + " rows only");
        }
        std::uint8_t bytes[16] = {};
        if (::inet_pton(ipv6_ ? AF_INET6 : AF_INET, copy.c_str(), bytes) != 1) {
            Fail(std::string(column) + " " + Quoted(text) + " is not an " +
                 (ipv6_ ? "IPv6" : "IPv4") + " address");
        }
        geoip::AddressValue number = 0;
        for (int i = 0; i < (ipv6_ ? 16 : 4); ++i) {
            number = number << 8 | bytes[i];
        }
        return number;
    }

    const std::string& name_;
    bool ipv6_;
    AsnCsvImport& result_;
    std::size_t line_ = 0;
};

} // namespace

AsnCsvImport LoadAsnCsv(std::istream& in, const std::string& name, bool ipv6) {
    AsnCsvImport result;
    AsnRowImporter importer(name, ipv6, result);
    ForEachRangeRow(in, name,
                    [&importer](const std::vector<std::string>& fields, std::size_t line) {
                        importer.Import(fields, line);
                    });
    return result;
}

AsnCsvImport LoadAsnCsvFile(const std::string& path, bool ipv6) {
    std::ifstream in = OpenCsvFile(path);
    return LoadAsnCsv(in, path, ipv6);
}

} // namespace orvanta::dbtool
