// SPDX-License-Identifier: GPL-3.0-or-later
// Writes a small MMDB database of DB-IP's flat city shape, for the script
// tests that stand in for the npm package: make_sample_mmdb OUT.mmdb; with
// --ipv6, the package's IPv6 file of that shape; with --dbip-download, one of
// the nested shape of DB-IP's own download instead.
#include "CityRecords.h"
#include "MmdbTestWriter.h"

#include <cstdio>
#include <exception>
#include <string>

int main(int argc, char** argv) {
    using namespace orvanta::mmdbtest;
    const bool nested = argc == 3 && std::string(argv[1]) == "--dbip-download";
    const bool ipv6 = argc == 3 && std::string(argv[1]) == "--ipv6";
    if (argc != 2 && !nested && !ipv6) {
        std::fprintf(stderr, "usage: make_sample_mmdb [--dbip-download | --ipv6] OUT.mmdb\n");
        return 2;
    }
    try {
        if (ipv6) {
            MmdbTestWriter writer(6, 24, "city ipv6");
            writer.InsertIPv6({0x2a, 0x00, 0x14, 0x50}, 32,
                              FlatCity("DE", "Hesse", "Frankfurt am Main", 50.1109, 8.6821));
            writer.WriteTo(argv[2]);
            return 0;
        }
        if (nested) {
            MmdbTestWriter writer(6, 24, "DBIP-City-Lite");
            writer.Insert(Ip(8, 8, 8, 0), 24,
                          DbipNestedCity("US", "California", "Mountain View (DB-IP)", 37.4, -122));
            writer.WriteTo(argv[2]);
            return 0;
        }
        MmdbTestWriter writer(4, 24, "city ipv4");
        writer.Insert(Ip(8, 8, 8, 0), 24,
                      FlatCity("US", "California", "Mountain View", 37.422, -122.085));
        writer.Insert(Ip(81, 2, 69, 0), 24, FlatCity("GB", "England", "London", 51.5143, -0.0912));
        writer.Insert(Ip(1, 0, 0, 0), 24,
                      FlatCity("AU", "Queensland", "South Brisbane", -27.4767, 153.017));
        writer.WriteTo(argv[1]);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "make_sample_mmdb: %s\n", e.what());
        return 1;
    }
    return 0;
}
