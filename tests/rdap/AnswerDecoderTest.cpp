// SPDX-License-Identifier: GPL-3.0-or-later
#include "rdap/AnswerDecoder.h"

#include "rdap/RdapError.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace orvanta::rdap {
namespace {

using nlohmann::json;

Domain DecodeDomain(const std::string& text) {
    return AnswerDecoder().DecodeDomain(AnswerDecoder::Parse(text));
}

TEST(AnswerDecoder, WrongTypesLeaveFieldsEmptyInsteadOfFailing) {
    const Domain domain = DecodeDomain(R"({
      "objectClassName": "domain", "ldhName": true, "unicodeName": ["x"], "handle": null,
      "status": "active", "events": {"eventAction": "registration"},
      "entities": [5, "x", {"roles": "registrar", "vcardArray": ["vcard", 7]},
                   {"roles": [null, "abuse"], "vcardArray": ["vcard", [["fn"], 3, ["fn", {}, "text", 9],
                     ["email", {}, "text", ["first@x", "second@x"]]]]}],
      "nameservers": [{"ldhName": {}, "ipAddresses": {"v4": "192.0.2.1", "v6": [{}, "::1"]}}],
      "secureDNS": {"delegationSigned": "yes", "dsData": [{"keyTag": 1.5, "digest": true}]},
      "links": [{"rel": 1, "href": null}], "notices": [{"description": "not a list"}],
      "redacted": [{"name": "Registrant Name"}, {"name": {"description": "Tech Phone"}}]})");
    EXPECT_EQ(domain.ldhName, "");
    EXPECT_EQ(domain.unicodeName, "");
    EXPECT_TRUE(domain.status.empty());
    EXPECT_TRUE(domain.events.empty());
    ASSERT_EQ(domain.entities.size(), 2u);
    EXPECT_TRUE(domain.entities[0].roles.empty());
    EXPECT_EQ(domain.entities[1].roles, std::vector<std::string>{"abuse"});
    EXPECT_EQ(domain.entities[1].contact.name, "9");
    EXPECT_EQ(domain.entities[1].contact.email, "first@x");
    ASSERT_EQ(domain.nameServers.size(), 1u);
    EXPECT_EQ(domain.nameServers[0].addresses, std::vector<std::string>{"::1"});
    EXPECT_FALSE(domain.secureDns.delegationSigned.has_value());
    ASSERT_EQ(domain.secureDns.dsData.size(), 1u);
    EXPECT_EQ(domain.secureDns.dsData[0].keyTag, "");
    ASSERT_EQ(domain.redactions.size(), 2u);
    EXPECT_EQ(domain.redactions[0].name, "");
    EXPECT_EQ(domain.redactions[1].name, "Tech Phone");
}

TEST(AnswerDecoder, AnswersThatAreNotTheObjectAskedFor) {
    const struct {
        const char* name;
        std::string text;
        const char* message;
    } rows[] = {
        {"empty", "", "not usable JSON"},
        {"truncated", R"({"objectClassName": "domain", "ldh)", "not usable JSON"},
        {"html", "<html></html>", "not usable JSON"},
        {"invalid UTF-8", "{\"ldhName\": \"\xFF\"}", "not usable JSON"},
        {"deep nesting", "{\"a\":" + std::string(100000, '[') + "}", "nested deeper"},
        {"array", "[]", "not an RDAP object"},
        {"string", "\"domain\"", "not an RDAP object"},
        {"other class", R"({"objectClassName": "ip network"})", "not a \"domain\" object"},
    };
    for (const auto& row : rows) {
        try {
            DecodeDomain(row.text);
            ADD_FAILURE() << row.name;
        } catch (const RdapError& error) {
            EXPECT_NE(std::string(error.what()).find(row.message), std::string::npos)
                << row.name << ": " << error.what();
        }
    }
}

TEST(AnswerDecoder, WholeNumbersBecomeTheirDigits) {
    const Domain domain = DecodeDomain(R"({"secureDNS": {"dsData": [
      {"keyTag": 12345}, {"keyTag": -7}, {"keyTag": 18446744073709551615}]}})");
    ASSERT_EQ(domain.secureDns.dsData.size(), 3u);
    EXPECT_EQ(domain.secureDns.dsData[0].keyTag, "12345");
    EXPECT_EQ(domain.secureDns.dsData[1].keyTag, "-7");
    EXPECT_EQ(domain.secureDns.dsData[2].keyTag, "18446744073709551615");
}

TEST(AnswerDecoder, HugeAnswersDecodeIntoBoundedRecords) {
    json entities = json::array();
    for (int i = 0; i < 100000; ++i) {
        entities.push_back({{"handle", "E" + std::to_string(i)}, {"roles", {"technical"}}});
    }
    json nested = {{"handle", "deepest"}};
    for (int i = 0; i < 20; ++i) {
        nested = {{"handle", "level"}, {"entities", {nested}}};
    }
    entities.insert(entities.begin(), nested);
    const std::string giant(1 << 20, 'x');
    const json answer = {{"objectClassName", "domain"},
                         {"ldhName", giant},
                         {"status", json::array({giant, giant, giant})},
                         {"entities", entities}};
    AnswerDecoder decoder;
    const Domain domain = decoder.DecodeDomain(answer);
    EXPECT_EQ(domain.ldhName.size(), AnswerDecoder::kMaxText + 3); // the ellipsis
    EXPECT_EQ(domain.entities.size(), AnswerDecoder::kMaxItems);
    int depth = 0;
    for (const Entity* e = &domain.entities[0]; !e->entities.empty(); e = &e->entities[0]) {
        ++depth;
    }
    EXPECT_EQ(depth, AnswerDecoder::kMaxEntityDepth - 1);
}

TEST(AnswerDecoder, CutsTextsAtCharacterBoundaries) {
    const struct {
        std::string text;
        std::size_t limit;
        std::string expected;
    } rows[] = {
        {"abc", 3, "abc"},
        {"abcd", 3, "abc\xE2\x80\xA6"},
        {"a\xC3\xA9z", 2, "a\xE2\x80\xA6"},
        {"\xF0\x9F\x98\x80z", 3, "\xE2\x80\xA6"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(AnswerDecoder::Bounded(row.text, row.limit), row.expected) << row.text;
    }
}

TEST(AnswerDecoder, ContactsNetworksAndErrors) {
    const json card = {
        "vcard",
        {{"version", json::object(), "text", "4.0"},
         {"org", json::object(), "text", {"Example Inc.", "Unit"}},
         {"adr", json::object(), "text", {"", "", "1 Road", "Town", "", "", "Canada"}},
         {"tel", {{"type", "fax"}}, "uri", "tel:+1-fax"},
         {"tel", {{"type", {"work", "voice"}}}, "uri", "tel:+1-voice"},
         {"tel", {{"type", "voice"}}, "uri", "tel:+1-second"}}};
    const IpNetwork network = AnswerDecoder().DecodeIpNetwork(
        {{"objectClassName", "ip network"},
         {"startAddress", "192.0.2.0"},
         {"cidr0_cidrs", {{{"v4prefix", "192.0.2.0"}, {"length", 24}}, {{"v6prefix", "::"}}}},
         {"entities", {{{"roles", {"registrant"}}, {"vcardArray", card}}}}});
    ASSERT_EQ(network.cidrs.size(), 2u);
    EXPECT_EQ(network.cidrs[0].length, "24");
    EXPECT_EQ(network.cidrs[1].prefix, "::");
    const Contact& c = network.entities.at(0).contact;
    EXPECT_EQ(c.organisation, "Example Inc.");
    EXPECT_EQ(c.country, "Canada");
    EXPECT_EQ(c.phone, "+1-voice");

    const ErrorAnswer error =
        AnswerDecoder().DecodeError({{"errorCode", 404},
                                     {"title", "Not Found"},
                                     {"description", {"No such name", json::object()}}});
    EXPECT_EQ(error.errorCode, 404);
    EXPECT_EQ(error.title, "Not Found");
    EXPECT_EQ(error.description, std::vector<std::string>{"No such name"});
    EXPECT_EQ(AnswerDecoder().DecodeError(json::array()).title, "");
}

} // namespace
} // namespace orvanta::rdap
