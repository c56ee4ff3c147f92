// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Region names to ISO 3166-2 subdivision codes, from the iso-codes list
// (/usr/share/iso-codes/json/iso_3166-2.json). Legacy city files kept the
// region as a short code; these codes are what we store when the full name
// costs too much room. Names are matched loosely: case, accents, spaces and
// punctuation do not matter, nor a trailing "(...)" or ", City of".

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

namespace orvanta::mmdbimport {

class RegionCodes {
public:
    static constexpr const char* DefaultPath = "/usr/share/iso-codes/json/iso_3166-2.json";

    // Throws ImportError when the file cannot be read or is not the list.
    static RegionCodes FromFile(const std::string& path);
    static RegionCodes FromJson(std::string_view json);

    // The subdivision code without its country part ("CA" for "US-CA") for a
    // region name given in ISO-8859-1, or nothing when the list lacks it.
    std::optional<std::string> CodeFor(std::string_view countryCode,
                                       std::string_view latin1Name) const;

    // Whether `code` is one of the country's subdivision codes ("CA" in "US").
    bool IsCode(std::string_view countryCode, std::string_view code) const;

    std::size_t size() const { return subdivisions_; }

private:
    void Add(std::string_view country, const std::string& latin1Name, const std::string& code,
             bool topLevel);

    struct Entry {
        std::string code;
        bool topLevel = false;
    };
    std::unordered_map<std::string, Entry> byKey_;
    std::unordered_set<std::string> codes_; // "US-CA"
    std::size_t subdivisions_ = 0;
};

} // namespace orvanta::mmdbimport
