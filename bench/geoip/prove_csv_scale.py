#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Scale proof for `orvanta-db build --csv`: writes a CSV of N random ranges
(default one million, on /24 boundaries as most allocations are, with
100,000 distinct places), builds a
database from it with the given orvanta-db binary, then looks up sampled
addresses (first, last and one inside address of every k-th range, and the
address before each sampled range when that lies in a gap) through
`orvanta-db lookup` and checks every answer.

    bench/geoip/prove_csv_scale.py build/tools/orvanta-db/orvanta-db [N] [WORKDIR]
"""
import os
import random
import subprocess
import sys
import tempfile
import time

CODES = ["DE", "FR", "US", "JP", "BR", "GB", "CN", "IN", "RU", "AU", "CA", "IT", "ES", "XK"]
NAMES = {"DE": "Germany", "FR": "France", "US": "United States", "JP": "Japan", "BR": "Brazil",
         "GB": "United Kingdom", "CN": "China", "IN": "India", "RU": "Russian Federation",
         "AU": "Australia", "CA": "Canada", "IT": "Italy", "ES": "Spain", "XK": "N/A"}


def dotted(a):
    return "%d.%d.%d.%d" % (a >> 24, (a >> 16) & 255, (a >> 8) & 255, a & 255)


def number(scaled):
    """The 15-significant-digit text of scaled / 10000, as the tool prints it."""
    text = "%.4f" % (scaled / 10000.0)
    text = text.rstrip("0").rstrip(".")
    return "0" if text in ("-0", "") else text


def main():
    tool = sys.argv[1]
    count = int(sys.argv[2]) if len(sys.argv) > 2 else 1000000
    work = sys.argv[3] if len(sys.argv) > 3 else tempfile.mkdtemp(prefix="orvanta-scale-")
    rng = random.Random(1)
    slot = max(2, (1 << 24) // count)
    csv_path = os.path.join(work, "ranges.csv")
    db_path = os.path.join(work, "GeoLiteCity.dat")
    # Places are drawn from a pool: the record area shares the 3-byte value
    # space with the tree, so a million distinct records could never fit.
    places = []
    for p in range(min(count, 100000)):
        code = rng.choice(CODES)
        places.append((code, "Region %d" % rng.randrange(60), "City \u00e9 %d" % p,
                       str(rng.randrange(100000)) if p % 3 else "",
                       rng.randrange(-900000, 900001), rng.randrange(-1800000, 1800001)))
    ranges = []
    with open(csv_path, "w", encoding="utf-8") as out:
        out.write("ip_range_start,ip_range_end,country_code,state1,state2,city,postcode,"
                  "latitude,longitude,timezone\n")
        for i in range(count):
            first = (i * slot + rng.randrange(slot // 4 + 1)) << 8
            last = ((i * slot + rng.randrange(slot // 4 + 1) + 1 + rng.randrange(slot // 2)) << 8) - 1
            if last < first:
                last = first + 255
            code, region, city, postal, lat, lon = rng.choice(places)
            out.write('%s,%s,%s,"%s",,"%s",%s,%s,%s,Europe/X\n' % (
                dotted(first), dotted(last), code, region, city, postal,
                number(lat), number(lon)))
            ranges.append((first, last, code, region, city, postal, lat, lon))
    ranges.sort()
    for a, b in zip(ranges, ranges[1:]):
        assert a[1] < b[0], "generator made overlapping ranges"

    started = time.time()
    build = subprocess.run(["/usr/bin/time", "-v", tool, "build", "--csv", csv_path, "-o", db_path],
                           capture_output=True, text=True)
    elapsed = time.time() - started
    if build.returncode != 0:
        sys.exit("build failed: " + build.stderr)
    peak = [l for l in build.stderr.splitlines() if "Maximum resident" in l]
    print(build.stdout, end="")
    print("build: %.1f s, %s" % (elapsed, peak[0].strip() if peak else "peak memory unknown"))

    queries, expected = [], []
    step = max(1, count // 100000)
    for i in range(0, count, step):
        first, last, code, region, city, postal, lat, lon = ranges[i]
        fields = "\t".join(["lrFound", code if code != "XK" else "--", NAMES[code], region, city,
                            postal, number(lat), number(lon), "0", "0"])
        for address in (first, last, rng.randrange(first, last + 1)):
            queries.append(dotted(address))
            expected.append(dotted(address) + "\t" + fields)
        if i > 0 and ranges[i - 1][1] + 1 < first:
            queries.append(dotted(first - 1))
            expected.append(dotted(first - 1) + "\tlrNotFound\t\t\t\t\t\t0\t0\t0\t0")
    started = time.time()
    lookup = subprocess.run([tool, "lookup", "--db", db_path], input="\n".join(queries) + "\n",
                            capture_output=True, text=True)
    elapsed = time.time() - started
    got = lookup.stdout.splitlines()
    wrong = [(e, g) for e, g in zip(expected, got) if e != g]
    print("lookups: %d in %.1f s, exit %d, wrong: %d, missing: %d" % (
        len(queries), elapsed, lookup.returncode, len(wrong), len(expected) - len(got)))
    for e, g in wrong[:5]:
        print("expected %r\n     got %r" % (e, g))
    sys.exit(0 if not wrong and len(got) == len(expected) and lookup.returncode == 0 else 1)


if __name__ == "__main__":
    main()
