// SPDX-License-Identifier: GPL-3.0-or-later
#include "rdap/IpNetworkLookup.h"

#include "RdapTestAnswers.h"
#include "TempFolder.h"
#include "net/PrivateMode.h"
#include "rdap/RdapError.h"

#include <gtest/gtest.h>

namespace orvanta::rdap {
namespace {

using namespace std::chrono_literals;

class IpLookup : public testing::Test {
protected:
    IpLookup() : iana_("127.0.0.1"), rir_("127.0.0.4") {
        iana_.Set("/ipv4.json", test::JsonReply(test::Ipv4Bootstrap("192.0.0.0/8", rir_.Base())));
        rir_.Set("/ip/192.0.2.7", test::JsonReply(test::NetworkAnswer()));
    }
    IpNetworkLookup Lookup() const {
        Settings settings;
        settings.bootstrapBase = iana_.Base();
        settings.cacheDir = cache_.path();
        settings.limits.totalTimeout = 3s;
        return IpNetworkLookup(settings);
    }

    test::TempFolder cache_;
    test::FakeRdapServer iana_;
    test::FakeRdapServer rir_;
};

TEST_F(IpLookup, TheNetworksRecordAsText) {
    EXPECT_EQ(Lookup().RecordText("192.0.2.7"), "Range:        192.0.2.0 - 192.0.2.255\n"
                                                "CIDR:         192.0.2.0/24\n"
                                                "Name:         TEST-NET-1\n"
                                                "Handle:       NET-192-0-2-0-1\n"
                                                "Type:         ASSIGNMENT\n"
                                                "Country:      US\n"
                                                "Parent:       NET-192-0-0-0-0\n"
                                                "Holder:       Example Networks (EXNET)\n"
                                                "Abuse:        abuse@net.example, +1-555-0199\n"
                                                "Abuse contact: Abuse (ABUSE5250-ARIN)\n"
                                                "Registered:   1997-09-15T04:00:00Z\n"
                                                "Last changed: 2026-08-14T07:01:44Z\n"
                                                "\nRemark: Documentation\n"
                                                "  Addresses for examples.\n"
                                                "  Not routed.\n"
                                                "\nSource:       " +
                                                    rir_.Base() + "ip/192.0.2.7\n");
}

// Private mode fetches no bootstrap file: none kept is an error that says so,
// a kept one is used however stale. The query the user asked for still goes.
TEST_F(IpLookup, PrivateModeUsesOnlyKeptBootstrapFiles) {
    struct PrivateOn {
        PrivateOn() { net::SetPrivateMode(true); }
        ~PrivateOn() { net::SetPrivateMode(false); }
    };
    {
        const PrivateOn on;
        try {
            Lookup().RecordText("192.0.2.7");
            ADD_FAILURE() << "no error without a kept bootstrap file";
        } catch (const RdapError& error) {
            EXPECT_NE(std::string(error.what()).find("private mode"), std::string::npos)
                << error.what();
        }
        EXPECT_TRUE(iana_.Targets().empty());
    }
    Lookup().RecordText("192.0.2.7"); // keeps ipv4.json
    const std::size_t fetched = iana_.Targets().size();
    EXPECT_EQ(fetched, 1u);
    const PrivateOn on;
    Settings stale;
    stale.bootstrapBase = iana_.Base();
    stale.cacheDir = cache_.path();
    stale.maxFreshness = 0s; // every kept file is stale
    EXPECT_NE(IpNetworkLookup(stale).RecordText("192.0.2.7").find("TEST-NET-1"), std::string::npos);
    EXPECT_EQ(iana_.Targets().size(), fetched);
}

TEST_F(IpLookup, FailuresSayWhatAndWhere) {
    rir_.Set("/ip/192.0.2.8", test::JsonReply(R"({"title": "Rate limit"})", 429));
    rir_.Set("/ip/192.0.2.9", test::JsonReply("[1,2", 200));
    rir_.Set("/ip/192.0.2.10", test::JsonReply("{\"objectClassName\": \"domain\"}"));
    const struct {
        const char* address;
        std::string message;
    } rows[] = {
        {"10.0.0.1", "RDAP: no RDAP service is listed for \"10.0.0.1\""},
        {"", "RDAP: no RDAP service is listed for \"\""},
        {"192.0.2.8", "RDAP: " + rir_.Base() + "ip/192.0.2.8 answered HTTP 429: Rate limit"},
        {"192.0.2.9", "RDAP: " + rir_.Base() + "ip/192.0.2.9: the answer is not usable JSON"},
        {"192.0.2.10", "not a \"ip network\" object"},
        {"192.0.2.11", "answered HTTP 404: Not Found"},
    };
    for (const auto& row : rows) {
        try {
            Lookup().RecordText(row.address);
            ADD_FAILURE() << row.address;
        } catch (const RdapError& error) {
            EXPECT_NE(std::string(error.what()).find(row.message), std::string::npos)
                << row.address << ": " << error.what();
        }
    }
    iana_.Set("/ipv4.json", test::JsonReply("", 500));
    std::filesystem::remove_all(cache_.path());
    EXPECT_THROW(Lookup().RecordText("192.0.2.7"), RdapError);
}

TEST_F(IpLookup, Ipv6AddressesAskTheServiceThatIpv6JsonNames) {
    iana_.Set("/ipv6.json", test::JsonReply(test::Ipv4Bootstrap("2001:db8::/32", rir_.Base())));
    rir_.Set("/ip/2001:db8::1", test::JsonReply(R"({"objectClassName": "ip network",
        "handle": "NET6-2001-DB8-1", "startAddress": "2001:db8::",
        "endAddress": "2001:db8:ffff:ffff:ffff:ffff:ffff:ffff", "ipVersion": "v6",
        "name": "DOC-V6", "cidr0_cidrs": [{"v6prefix": "2001:db8::", "length": 32}]})"));
    EXPECT_EQ(Lookup().RecordText("2001:db8::1"),
              "Range:        2001:db8:: - 2001:db8:ffff:ffff:ffff:ffff:ffff:ffff\n"
              "CIDR:         2001:db8::/32\n"
              "Name:         DOC-V6\n"
              "Handle:       NET6-2001-DB8-1\n"
              "\nSource:       " +
                  rir_.Base() + "ip/2001:db8::1\n");
    // Kept like ipv4.json: a second lookup asks IANA's folder no more.
    const std::size_t asked = iana_.Targets().size();
    Lookup().RecordText("2001:db8::1");
    EXPECT_EQ(iana_.Targets().size(), asked);
    EXPECT_TRUE(std::filesystem::exists(cache_.path() / "ipv6.json"));
    try {
        Lookup().RecordText("2001:db9::1");
        ADD_FAILURE() << "no service expected";
    } catch (const RdapError& error) {
        EXPECT_STREQ(error.what(), "RDAP: no RDAP service is listed for \"2001:db9::1\"");
    }
}

} // namespace
} // namespace orvanta::rdap
