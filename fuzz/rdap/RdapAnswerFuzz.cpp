// SPDX-License-Identifier: GPL-3.0-or-later
// Arbitrary bytes as an RDAP answer: decoding as a domain, an IP network
// and an error, the web whois page and the IP whois text record must end
// in a result or an RdapError, never in a crash, a hang or unbounded
// memory, and the page must never carry a tag an answer put there.

#include "rdap/AnswerDecoder.h"
#include "rdap/DomainPage.h"
#include "rdap/NetworkText.h"
#include "rdap/RdapError.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <nlohmann/json.hpp>
#include <string>

using namespace orvanta::rdap;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string body(reinterpret_cast<const char*>(data), size);
    nlohmann::json answer;
    try {
        answer = AnswerDecoder::Parse(body);
    } catch (const RdapError&) {
        return 0;
    }
    (void)AnswerDecoder().DecodeError(answer);
    try {
        (void)NetworkText(AnswerDecoder().DecodeIpNetwork(answer), "https://rir.example/ip/x");
    } catch (const RdapError&) {
    }
    try {
        DomainReport report;
        report.outcome = DomainReport::Outcome::Found;
        report.name = "fuzz.example";
        report.registry = {"https://registry.example/domain/fuzz.example", 200, body, "",
                           AnswerDecoder().DecodeDomain(answer),           ""};
        report.registrar = report.registry;
        const std::string page = DomainPage(report);
        // The answer's texts are all escaped: no "<script" can come from it.
        if (page.find("<script") != std::string::npos || page.find("<img") != std::string::npos) {
            std::abort();
        }
    } catch (const RdapError&) {
    }
    return 0;
}
