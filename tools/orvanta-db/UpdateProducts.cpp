// SPDX-License-Identifier: GPL-3.0-or-later
#include "UpdateProducts.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <system_error>

namespace orvanta::dbtool::update {
namespace {

namespace fs = std::filesystem;

constexpr const char* NoIPv6Line = "ipv6: none";

std::string Trimmed(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) {
        text.pop_back();
    }
    return text;
}

} // namespace

std::string ProductFileName(const Product& product, int year, unsigned month) {
    char text[64];
    std::snprintf(text, sizeof text, "%s-%04d-%02u.mmdb.gz", product.downloadStem, year, month);
    return text;
}

std::optional<SourceInfo> InstalledSource(const fs::path& dir, const Product& product) {
    std::error_code error;
    const bool isAsn = &product == &AsnProduct;
    if (!fs::is_regular_file(dir / product.database, error) ||
        (isAsn && !fs::is_regular_file(dir / product.ipv6Database, error))) {
        return std::nullopt;
    }
    std::ifstream in(dir / "db" / product.sourceInfo);
    SourceInfo info;
    for (std::string line; std::getline(in, line);) {
        line = Trimmed(line);
        if (line.rfind("source: ", 0) == 0) {
            info.name = line.substr(8);
        } else if (line.rfind("build_epoch: ", 0) == 0) {
            info.buildEpoch = std::strtoull(line.c_str() + 13, nullptr, 10);
        } else if (line == NoIPv6Line) {
            info.noIPv6 = true;
        }
    }
    if (info.name.empty() ||
        (!isAsn && !info.noIPv6 && !fs::is_regular_file(dir / product.ipv6Database, error))) {
        return std::nullopt;
    }
    return info;
}

std::string SourceInfoText(const SourceInfo& info) {
    std::string text = "source: " + info.name +
                       "\nbuild_epoch: " + std::to_string(info.buildEpoch) +
                       "\nbuilt: " + BuildDate(info.buildEpoch) + "\n";
    if (info.noIPv6) {
        text += std::string(NoIPv6Line) + "\n";
    }
    return text;
}

std::string BuildDate(std::uint64_t epoch) {
    const auto seconds = static_cast<std::time_t>(epoch);
    std::tm utc{};
    if (::gmtime_r(&seconds, &utc) == nullptr) {
        return "unknown";
    }
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S UTC", &utc);
    return text;
}

} // namespace orvanta::dbtool::update
