// SPDX-License-Identifier: GPL-3.0-or-later
#include "mmdbimport/RegionCodes.h"

#include "geoipwriter/TextConversion.h"
#include "mmdbimport/ImportError.h"

#include "json/BoundedJson.h"
#include <fstream>
#include <sstream>

namespace orvanta::mmdbimport {
namespace {

// ISO-8859-1 letters with accents to their base letter, lower case; other
// bytes outside a-z and 0-9 are dropped.
std::string Fold(std::string_view latin1) {
    static constexpr const char* kUpper = // 0xC0 to 0xDF
        "aaaaaaaceeeeiiiidnooooo\0ouuuuyts";
    static constexpr const char* kLower = // 0xE0 to 0xFF
        "aaaaaaaceeeeiiiidnooooo\0ouuuuyty";
    std::string out;
    out.reserve(latin1.size());
    for (const char ch : latin1) {
        const auto c = static_cast<unsigned char>(ch);
        if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'))
            out += char(c);
        else if (c >= 'A' && c <= 'Z')
            out += char(c - 'A' + 'a');
        else if (c >= 0xC0 && c < 0xE0 && kUpper[c - 0xC0] != '\0')
            out += kUpper[c - 0xC0];
        else if (c >= 0xE0 && kLower[c - 0xE0] != '\0')
            out += kLower[c - 0xE0];
    }
    return out;
}

std::string Key(std::string_view country, std::string_view folded) {
    std::string key;
    for (const char c : country)
        key += char(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    key += '\x1f';
    key += folded;
    return key;
}

} // namespace

RegionCodes RegionCodes::FromFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw ImportError("Cannot read the subdivision list \"" + path + "\"");
    std::ostringstream text;
    text << in.rdbuf();
    try {
        return FromJson(text.str());
    } catch (const ImportError& e) {
        throw ImportError("The subdivision list \"" + path + "\" cannot be used: " + e.what());
    }
}

RegionCodes RegionCodes::FromJson(std::string_view json) {
    nlohmann::json document;
    try {
        document = json::ParseBounded(json);
    } catch (const json::JsonError& e) {
        throw ImportError(e.what());
    }
    const auto list = document.is_object() ? document.find("3166-2") : document.end();
    if (list == document.end() || !list->is_array())
        throw ImportError("no \"3166-2\" list in the document");
    RegionCodes codes;
    for (const nlohmann::json& item : *list) {
        if (!item.is_object())
            continue;
        const auto code = item.find("code");
        const auto name = item.find("name");
        if (code == item.end() || name == item.end() || !code->is_string() || !name->is_string())
            continue;
        const std::string& full = code->get_ref<const std::string&>();
        const auto dash = full.find('-');
        if (dash != 2 || full.size() <= 3)
            continue;
        const bool topLevel = !item.contains("parent");
        codes.codes_.insert(full);
        codes.Add(std::string_view(full).substr(0, 2),
                  geoip::Utf8ToLatin1(name->get_ref<const std::string&>()), full.substr(3),
                  topLevel);
        ++codes.subdivisions_;
    }
    return codes;
}

void RegionCodes::Add(std::string_view country, const std::string& latin1Name,
                      const std::string& code, bool topLevel) {
    auto put = [&](std::string_view variant) {
        const std::string folded = Fold(variant);
        if (folded.empty())
            return;
        auto [it, inserted] = byKey_.try_emplace(Key(country, folded), Entry{code, topLevel});
        // A name shared by a region and one of its parts means the region.
        if (!inserted && topLevel && !it->second.topLevel)
            it->second = Entry{code, topLevel};
    };
    put(latin1Name);
    const auto paren = latin1Name.find(" (");
    if (paren != std::string::npos)
        put(std::string_view(latin1Name).substr(0, paren));
    const auto comma = latin1Name.find(", ");
    if (comma != std::string::npos)
        put(std::string_view(latin1Name).substr(0, comma));
}

std::optional<std::string> RegionCodes::CodeFor(std::string_view countryCode,
                                                std::string_view latin1Name) const {
    const std::string folded = Fold(latin1Name);
    if (folded.empty())
        return std::nullopt;
    const auto it = byKey_.find(Key(countryCode, folded));
    if (it == byKey_.end())
        return std::nullopt;
    return it->second.code;
}

} // namespace orvanta::mmdbimport

namespace orvanta::mmdbimport {

bool RegionCodes::IsCode(std::string_view countryCode, std::string_view code) const {
    std::string key(countryCode);
    key += '-';
    key += code;
    return codes_.count(key) != 0;
}

} // namespace orvanta::mmdbimport
