// Writes a small MMDB database of DB-IP's flat city shape, for the script
// tests that stand in for the npm package: make_sample_mmdb OUT.mmdb
#include "CityRecords.h"
#include "MmdbTestWriter.h"

#include <cstdio>
#include <exception>

int main(int argc, char** argv) {
    using namespace orvanta::mmdbtest;
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_sample_mmdb OUT.mmdb\n");
        return 2;
    }
    try {
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
