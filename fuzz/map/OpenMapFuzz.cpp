// SPDX-License-Identifier: GPL-3.0-or-later
// Any tile template (an environment variable) and any texts fed to the
// place book (a results row's location line and coordinate texts, the
// page's address question) must be handled cleanly: an accepted template
// holds nothing that could leave an address, a parsed coordinate lies
// within its limit, and a place answer is always one of its two shapes.
#include "map/OpenMapSite.h"
#include "map/PlaceBook.h"
#include "map/TileTemplate.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

void require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);

    const std::string problem = orvanta::map::tileTemplateProblem(input);
    if (problem.empty()) {
        require(input.starts_with("https://") || input.starts_with("http://"));
        require(input.find_first_of("\"'<>\\ #`\r\n\t") == std::string_view::npos);
        for (const char ch : input) {
            require(static_cast<unsigned char>(ch) > 32 && static_cast<unsigned char>(ch) < 127);
        }
    }

    // Split the input into a line, two coordinate texts and a separator.
    std::string_view parts[4];
    std::string_view rest = input;
    for (auto& part : parts) {
        const auto cut = rest.find('\x1f');
        part = rest.substr(0, cut);
        rest = cut == std::string_view::npos ? std::string_view() : rest.substr(cut + 1);
    }
    for (const double limit : {90.0, 180.0}) {
        if (const auto value =
                orvanta::map::PlaceBook::ParseCoordinate(parts[1], parts[3], limit)) {
            require(std::isfinite(*value) && std::fabs(*value) <= limit);
        }
    }
    orvanta::map::PlaceBook book;
    book.Add(parts[0], parts[1], parts[2], parts[3]);
    book.Focus(parts[2], parts[0], parts[1], parts[3]);
    const auto place = book.Find(parts[0]);
    const std::string answer = orvanta::map::placeAnswer(place);
    require(answer.starts_with(place ? R"({"status":"OK","results":[{"lat":)"
                                     : R"({"status":"ZERO_RESULTS","results":[]})"));
    require(answer.find_first_of("\"\\", answer.rfind(':') + 1) == std::string::npos || !place);
    return 0;
}
