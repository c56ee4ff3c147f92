// SPDX-License-Identifier: GPL-3.0-or-later
#include "RdapTestAnswers.h"

#include <nlohmann/json.hpp>

namespace orvanta::test {

using nlohmann::json;

FakeRdapServer::FakeRdapServer(const std::string& address)
    : routes_(std::make_shared<Routes>()),
      server_(
          [routes = routes_](const HttpExchange& exchange) {
              std::lock_guard lock(routes->mutex);
              const auto it = routes->replies.find(exchange.target);
              if (it == routes->replies.end()) {
                  return JsonReply(R"({"errorCode": 404, "title": "Not Found"})", 404);
              }
              return it->second;
          },
          address) {}

void FakeRdapServer::Set(const std::string& target, HttpReply reply) {
    std::lock_guard lock(routes_->mutex);
    routes_->replies[target] = std::move(reply);
}

std::string FakeRdapServer::Base() const {
    return server_.BaseUrl() + "/";
}

std::vector<std::string> FakeRdapServer::Targets() const {
    std::vector<std::string> targets;
    for (const HttpExchange& exchange : server_.Requests()) {
        targets.push_back(exchange.target);
    }
    return targets;
}

HttpReply JsonReply(std::string body, int status) {
    HttpReply reply;
    reply.status = status;
    reply.headers = {{"Content-Type", "application/rdap+json"}};
    reply.body = std::move(body);
    return reply;
}

std::string DnsBootstrap(const std::vector<std::string>& tlds, const std::string& base) {
    return json{{"version", "1.0"},
                {"publication", "2026-12-01T00:00:00Z"},
                {"services", json::array({json::array({tlds, json::array({base})})})}}
        .dump();
}

std::string Ipv4Bootstrap(const std::string& prefix, const std::string& base) {
    return json{
        {"version", "1.0"},
        {"services", json::array({json::array({json::array({prefix}), json::array({base})})})}}
        .dump();
}

namespace {

json Card(std::initializer_list<json> properties) {
    json list = json::array({json::array({"version", json::object(), "text", "4.0"})});
    for (const json& property : properties) {
        list.push_back(property);
    }
    return json::array({"vcard", list});
}

json Events() {
    return json::array({{{"eventAction", "registration"}, {"eventDate", "1997-09-15T04:00:00Z"}},
                        {{"eventAction", "expiration"}, {"eventDate", "2028-09-14T04:00:00Z"}},
                        {{"eventAction", "last changed"}, {"eventDate", "2026-08-14T07:01:44Z"}}});
}

} // namespace

std::string RegistryAnswer(const std::string& name, const std::string& related) {
    json links = json::array({{{"value", "x"},
                               {"rel", "self"},
                               {"href", "https://self.example/"},
                               {"type", "application/rdap+json"}}});
    if (!related.empty()) {
        links.push_back({{"value", "x"},
                         {"rel", "related"},
                         {"href", related},
                         {"type", "application/rdap+json"}});
    }
    const json abuse = {
        {"objectClassName", "entity"},
        {"roles", {"abuse"}},
        {"vcardArray",
         Card({json::array({"fn", json::object(), "text", "Abuse Desk"}),
               json::array({"tel", {{"type", "voice"}}, "uri", "tel:+1.5555550100"}),
               json::array({"email", json::object(), "text", "abuse@registrar.example"})})}};
    const json registrar = {
        {"objectClassName", "entity"},
        {"handle", "292"},
        {"roles", {"registrar"}},
        {"publicIds", {{{"type", "IANA Registrar ID"}, {"identifier", "292"}}}},
        {"vcardArray",
         Card({json::array({"fn", json::object(), "text", "Example Registrar, Inc."})})},
        {"entities", {abuse}}};
    return json{
        {"objectClassName", "domain"},
        {"handle", "2138514_DOMAIN_COM-VRSN"},
        {"ldhName", name},
        {"status", {"client delete prohibited", "client transfer prohibited"}},
        {"events", Events()},
        {"entities", {registrar}},
        {"nameservers",
         {{{"objectClassName", "nameserver"}, {"ldhName", "NS1.EXAMPLE.NET"}},
          {{"objectClassName", "nameserver"},
           {"ldhName", "NS2.EXAMPLE.NET"},
           {"ipAddresses", {{"v4", {"192.0.2.53"}}}}}}},
        {"secureDNS",
         {{"delegationSigned", true},
          {"dsData",
           {{{"keyTag", 370}, {"algorithm", 13}, {"digestType", 2}, {"digest", "BE74359954"}}}}}},
        {"links", links},
        {"notices",
         {{{"title", "Terms of Use"}, {"description", {"Service subject to Terms of Use."}}}}}}
        .dump();
}

std::string RegistrarAnswer(const std::string& name) {
    const json registrant = {
        {"objectClassName", "entity"},
        {"roles", {"registrant"}},
        {"vcardArray",
         Card({json::array({"fn", json::object(), "text", ""}),
               json::array({"org", json::object(), "text", "Example Holdings"}),
               json::array({"adr", {{"cc", "CA"}}, "text", {"", "", "", "", "QC", "", ""}})})}};
    return json{{"objectClassName", "domain"},
                {"ldhName", name},
                {"entities", {registrant}},
                {"redacted",
                 {{{"name", {{"type", "Registrant Name"}}}, {"method", "emptyValue"}},
                  {{"name", {{"type", "Registrant Email"}}}, {"method", "removal"}},
                  {{"name", {{"type", "Tech Email"}}}, {"method", "removal"}}}}}
        .dump();
}

std::string NetworkAnswer() {
    const json abuse = {
        {"objectClassName", "entity"},
        {"handle", "ABUSE5250-ARIN"},
        {"roles", {"abuse"}},
        {"vcardArray",
         Card({json::array({"fn", json::object(), "text", "Abuse"}),
               json::array({"email", json::object(), "text", "abuse@net.example"}),
               json::array({"tel", {{"type", {"work", "voice"}}}, "text", "+1-555-0199"})})}};
    const json holder = {
        {"objectClassName", "entity"},
        {"handle", "EXNET"},
        {"roles", {"registrant"}},
        {"vcardArray", Card({json::array({"fn", json::object(), "text", "Example Networks"})})},
        {"entities", {abuse}}};
    return json{{"objectClassName", "ip network"},
                {"handle", "NET-192-0-2-0-1"},
                {"startAddress", "192.0.2.0"},
                {"endAddress", "192.0.2.255"},
                {"ipVersion", "v4"},
                {"name", "TEST-NET-1"},
                {"type", "ASSIGNMENT"},
                {"country", "US"},
                {"parentHandle", "NET-192-0-0-0-0"},
                {"cidr0_cidrs", {{{"v4prefix", "192.0.2.0"}, {"length", 24}}}},
                {"entities", {holder}},
                {"events", Events()},
                {"remarks",
                 {{{"title", "Documentation"},
                   {"description", {"Addresses for examples.", "Not routed."}}}}}}
        .dump();
}

} // namespace orvanta::test
