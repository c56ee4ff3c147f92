// SPDX-License-Identifier: GPL-3.0-or-later
// Server answers and address queries are outside input: referral parsing
// must give only plausible host names, and no answer text may survive
// onto the page as markup.
#include "webwhois/WebWhoisPage.h"
#include "webwhois/WebWhoisQuery.h"
#include "webwhois/WhoisReferral.h"

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

void checkServer(const std::optional<std::string>& server) {
    if (server) {
        require(orvanta::webwhois::isPlausibleDomain(*server));
        for (char ch : *server) {
            require(!(ch >= 'A' && ch <= 'Z'));
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace orvanta::webwhois;
    const std::string_view input(reinterpret_cast<const char*>(data), size);

    checkServer(findReferral(input, ReferralKind::Registry));
    checkServer(findReferral(input, ReferralKind::Registrar));
    checkServer(normalizeServer(input));

    const std::string name = nameFromQuery(input);
    require(name.size() <= input.size());

    const std::string escaped = htmlEscape(input);
    require(escaped.find_first_of("<>\"'") == std::string::npos);

    WhoisChainResult result;
    result.name = std::string(input.substr(0, 64));
    result.steps.push_back({"whois.example", false, std::string(input)});
    const std::string page = chainPage(result);
    const auto body = page.find("<body>");
    require(body != std::string::npos);
    // Outside the fixed markup, every tag opener in the body is the page's own.
    std::size_t at = body;
    while ((at = page.find('<', at + 1)) != std::string::npos) {
        const std::string_view rest = std::string_view(page).substr(at);
        require(rest.rfind("<h1>", 0) == 0 || rest.rfind("</h1>", 0) == 0 ||
                rest.rfind("<h2>", 0) == 0 || rest.rfind("</h2>", 0) == 0 ||
                rest.rfind("<pre", 0) == 0 || rest.rfind("</pre>", 0) == 0 ||
                rest.rfind("</body>", 0) == 0 || rest.rfind("</html>", 0) == 0);
    }
    return 0;
}
