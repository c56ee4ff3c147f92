// SPDX-License-Identifier: GPL-3.0-or-later
#include "rdap/Freshness.h"

#include <gtest/gtest.h>

namespace orvanta::rdap {
namespace {

using std::chrono::seconds;

TEST(Freshness, FromTheCachingHeadersAtMostADay) {
    const auto now = *ParseHttpDate("Wed, 09 Dec 2026 12:00:00 GMT");
    const struct {
        const char* name;
        std::vector<std::pair<std::string, std::string>> headers;
        long long lifetime;
        bool store;
    } rows[] = {
        {"nothing said", {}, 86400, true},
        {"max-age", {{"cache-control", "public, max-age=3600"}}, 3600, true},
        {"max-age above a day", {{"cache-control", "max-age=604800"}}, 86400, true},
        {"max-age quoted", {{"cache-control", "max-age=\"60\""}}, 60, true},
        {"max-age huge", {{"cache-control", "max-age=99999999999999999999999"}}, 86400, true},
        {"max-age garbage", {{"cache-control", "max-age=soon"}}, 0, true},
        {"no-cache", {{"cache-control", "no-cache, max-age=3600"}}, 0, true},
        {"no-store", {{"cache-control", "NO-STORE"}}, 0, false},
        {"max-age beats expires",
         {{"cache-control", "max-age=10"}, {"expires", "Wed, 09 Dec 2026 13:00:00 GMT"}},
         10,
         true},
        {"expires against date",
         {{"date", "Wed, 09 Dec 2026 11:00:00 GMT"}, {"expires", "Wed, 09 Dec 2026 11:30:00 GMT"}},
         1800,
         true},
        {"expires against now", {{"expires", "Wed, 09 Dec 2026 12:05:00 GMT"}}, 300, true},
        {"expires in the past", {{"expires", "Tue, 08 Dec 2026 12:00:00 GMT"}}, 0, true},
        {"expires malformed", {{"expires", "0"}}, 0, true},
        {"age subtracted", {{"cache-control", "max-age=600"}, {"age", "100"}}, 500, true},
        {"age beyond the lifetime", {{"cache-control", "max-age=600"}, {"age", "9000"}}, 0, true},
    };
    for (const auto& row : rows) {
        http::Response response;
        response.status = 200;
        response.headers = row.headers;
        const Freshness freshness = Freshness::Of(response, now, seconds(86400));
        EXPECT_EQ(freshness.lifetime.count(), row.lifetime) << row.name;
        EXPECT_EQ(freshness.store, row.store) << row.name;
    }
}

} // namespace
} // namespace orvanta::rdap
