// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Loopback RDAP servers for tests and the answers they give: one server
// per role (IANA's bootstrap folder, a registry, a registrar), each on its
// own loopback address, answering fixed targets and 404 otherwise.

#include "LoopbackHttpServer.h"

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace orvanta::test {

class FakeRdapServer {
public:
    explicit FakeRdapServer(const std::string& address = "127.0.0.1");

    // Answers `target` ("/dns.json", "/domain/example.com") with `reply`.
    void Set(const std::string& target, HttpReply reply);
    std::string Base() const; // "http://ADDRESS:PORT/"
    std::vector<std::string> Targets() const;

private:
    struct Routes {
        std::mutex mutex;
        std::map<std::string, HttpReply> replies;
    };
    std::shared_ptr<Routes> routes_;
    LoopbackHttpServer server_;
};

HttpReply JsonReply(std::string body, int status = 200);

// A dns.json naming `base` for each of `tlds`.
std::string DnsBootstrap(const std::vector<std::string>& tlds, const std::string& base);
// An ipv4.json naming `base` for `prefix`.
std::string Ipv4Bootstrap(const std::string& prefix, const std::string& base);

// A registry's answer for `name`: registrar with IANA ID and abuse contact,
// name servers, DNSSEC, dates, redacted registrant; `related` (when not
// empty) as the registrar link.
std::string RegistryAnswer(const std::string& name, const std::string& related);
// A registrar's answer for `name` with the registrant's organisation and
// country, the rest redacted.
std::string RegistrarAnswer(const std::string& name);
// An RIR's answer for the network 192.0.2.0/24.
std::string NetworkAnswer();

} // namespace orvanta::test
