// SPDX-License-Identifier: GPL-3.0-or-later
#include "rdap/IpNetworkLookup.h"

#include "rdap/AnswerDecoder.h"
#include "rdap/BootstrapCache.h"
#include "rdap/NetworkText.h"
#include "rdap/RdapError.h"
#include "rdap/RdapFetch.h"

#include <nlohmann/json.hpp>

namespace orvanta::rdap {

std::string IpNetworkLookup::RecordText(std::string_view address) const {
    // Appended piecewise: GCC 12 warns falsely (-Wrestrict) on "\"" + string at -O3.
    std::string shown(1, '"');
    shown += OneLine(AnswerDecoder::Bounded(address, 64));
    shown += '"';
    try {
        const Bootstrap bootstrap =
            BootstrapCache(settings_).Load(Bootstrap::KindForAddress(address));
        const auto base = bootstrap.ServiceForAddress(address);
        if (!base) {
            // Also the answer for text that is no address at all.
            throw RdapError("no RDAP service is listed for " + shown);
        }
        const std::string url = *base + "ip/" + std::string(address);
        const http::Response response = FetchRdap(url, settings_.limits, nullptr);
        if (response.status != 200) {
            std::string message = url + " answered HTTP " + std::to_string(response.status);
            try {
                const ErrorAnswer error =
                    AnswerDecoder().DecodeError(AnswerDecoder::Parse(response.body));
                if (!error.title.empty()) {
                    message += ": " + OneLine(error.title);
                }
            } catch (const RdapError&) {
            }
            throw RdapError(message + RetryAfterNote(response));
        }
        const std::string source = response.url.empty() ? url : response.url;
        IpNetwork network;
        try {
            network = AnswerDecoder().DecodeIpNetwork(AnswerDecoder::Parse(response.body));
        } catch (const RdapError& error) {
            throw RdapError(source + ": " + error.what());
        }
        return NetworkText(network, source);
    } catch (const http::HttpError& error) {
        throw RdapError(std::string("RDAP: ") + error.what());
    } catch (const RdapError& error) {
        throw RdapError(std::string("RDAP: ") + error.what());
    }
}

} // namespace orvanta::rdap
