// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// ResultRecord: one results row as plain values, for the files and the
// summary, which know nothing of the windows. Texts are UTF-8. The window's
// row converts to and from it one to one, so a row saved and read back is
// the row it was: an absent value stays absent, an empty one empty.
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>

namespace orvanta::resultfiles {

struct ResultRecord {
    std::string address;
    bool found = false; // the city database knows the address
    std::string countryCode;
    std::string countryName;
    std::string region;
    std::string city;
    // Both present when the row is located, else both absent.
    std::optional<double> latitude;
    std::optional<double> longitude;
    // Absent: not asked. Empty: asked, and no name came.
    std::optional<std::string> hostName;
    std::optional<std::uint32_t> asn;
    std::string organization; // the name, without the AS number
    // Occurrences; absent for a row of its own, which counts once.
    std::optional<std::uint64_t> count;
    // Bytes seen, where a capture gave them.
    std::optional<std::uint64_t> bytes;

    bool Located() const { return latitude.has_value() && longitude.has_value(); }
    // The row's weight in a summary: its count, 1 for a row of its own.
    std::uint64_t Occurrences() const { return count.value_or(1); }
    bool operator==(const ResultRecord&) const = default;
};

// "City, Region, CountryName", as the results list shows it.
std::string LocationLine(const ResultRecord& record);
// "AS15169 Google LLC", "AS15169", "Google LLC" or empty.
std::string OrganisationText(const ResultRecord& record);

// A result file that cannot be written or read; the message names the file
// and, for a bad file, the line or the feature.
class ResultFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

} // namespace orvanta::resultfiles
