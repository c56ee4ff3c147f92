#include "trace/TraceTarget.h"

#include "trace/TraceError.h"

#include <gtest/gtest.h>

using orvanta::trace::ParseTraceTarget;
using orvanta::trace::TraceError;

TEST(TraceTarget, AddressesTraced) {
    const struct {
        const char* text;
        int family;
        const char* canonical;
    } rows[] = {
        {"192.0.2.7", AF_INET, "192.0.2.7"},
        {"2001:DB8:0:0::1", AF_INET6, "2001:db8::1"},
        {"::ffff:198.51.100.4", AF_INET, "198.51.100.4"},
        {"127.0.0.1", AF_INET, "127.0.0.1"},
    };
    for (const auto& row : rows) {
        const auto target = ParseTraceTarget(row.text);
        EXPECT_EQ(target.family, row.family) << row.text;
        EXPECT_EQ(target.text, row.canonical) << row.text;
    }
}

TEST(TraceTarget, AddressesRefused) {
    for (const char* text :
         {"0.0.0.0", "::", "224.0.0.1", "239.255.255.250", "255.255.255.255", "ff02::1",
          "::ffff:224.0.0.9", "", "example.org", "192.0.2.7 ", "1.2.3", "2001:db8::1%eth0"}) {
        EXPECT_THROW(ParseTraceTarget(text), TraceError) << '"' << text << '"';
    }
}
