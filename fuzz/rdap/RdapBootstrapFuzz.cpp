// SPDX-License-Identifier: GPL-3.0-or-later
// Arbitrary bytes as a bootstrap file (every kind) and as the caching
// headers of its answer: parsing ends in a registry or an RdapError, and
// lookups in whatever was read stay sound.

#include "rdap/Bootstrap.h"
#include "rdap/Freshness.h"
#include "rdap/RdapError.h"

#include <cstddef>
#include <cstdint>
#include <string>

using namespace orvanta::rdap;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    // The first line also serves as a name, an address and header values.
    const std::string line = text.substr(0, text.find('\n'));
    for (const auto kind :
         {Bootstrap::Kind::Domains, Bootstrap::Kind::Ipv4, Bootstrap::Kind::Ipv6}) {
        try {
            const Bootstrap bootstrap = Bootstrap::Parse(text, kind);
            (void)bootstrap.ServiceForDomain("www.example.com");
            (void)bootstrap.ServiceForDomain(line);
            (void)bootstrap.ServiceForAddress("192.0.2.1");
            (void)bootstrap.ServiceForAddress("2001:db8::1");
            (void)bootstrap.ServiceForAddress(line);
        } catch (const RdapError&) {
        }
    }
    orvanta::http::Response response;
    response.headers = {{"cache-control", line}, {"expires", line}, {"date", line}, {"age", line}};
    const auto freshness =
        Freshness::Of(response, std::chrono::system_clock::now(), std::chrono::seconds(86400));
    if (freshness.lifetime.count() < 0 || freshness.lifetime.count() > 86400) {
        __builtin_trap();
    }
    return 0;
}
