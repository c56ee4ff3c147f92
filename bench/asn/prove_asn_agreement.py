#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Agreement proof for the organisation databases: picks N random addresses
inside the ranges of the source CSV files (asn-ipv4.csv, asn-ipv6.csv of the
npm package @ip-location-db/asn), asks `orvanta-db lookup --json` for them
with the built files, and checks that every answer has exactly the source's
AS number and name. Where source ranges overlap, the narrowest range that
holds the address is the source's answer, as the build documents.

    bench/asn/prove_asn_agreement.py ORVANTA_DB CITY_DAT CITY6_DAT ASN_V4_CSV ASN_V6_CSV \
        V4_DAT V6_DAT [N]

(the lookup needs the location databases of both families, GeoLiteCity.dat and
GeoLiteCityv6.dat; their answers are not checked here).
"""
import bisect
import csv
import ipaddress
import json
import random
import subprocess
import sys


def load(path):
    rows = []
    with open(path, newline="", encoding="utf-8") as handle:
        for fields in csv.reader(handle):
            if not fields or fields[0].strip().lower() == "ip_range_start":
                continue
            first = int(ipaddress.ip_address(fields[0].strip()))
            last = int(ipaddress.ip_address(fields[1].strip()))
            rows.append((first, last, int(fields[2]), fields[3].strip()))
    rows.sort()
    return rows


def expected(rows, starts, reach, address):
    """The narrowest row holding `address`: rows that start at or before it,
    walked back while some row so far still reaches it (reach[i] is the
    highest end among rows[0..i])."""
    best = None
    i = bisect.bisect_right(starts, address) - 1
    while i >= 0 and reach[i] >= address:
        first, last, number, name = rows[i]
        if last >= address and (best is None or last - first < best[1] - best[0]):
            best = rows[i]
        i -= 1
    return best


def main():
    tool, city, city6, v4csv, v6csv, v4dat, v6dat = sys.argv[1:8]
    count = int(sys.argv[8]) if len(sys.argv) > 8 else 100000
    random.seed(20261209)
    samples = []
    for path, version in ((v4csv, 4), (v6csv, 6)):
        rows = load(path)
        starts = [row[0] for row in rows]
        reach = []
        for row in rows:
            reach.append(max(row[1], reach[-1]) if reach else row[1])
        share = count * 4 // 5 if version == 4 else count - count * 4 // 5
        for _ in range(share):
            first, last, _, _ = rows[random.randrange(len(rows))]
            address = random.randint(first, last)
            row = expected(rows, starts, reach, address)
            text = str(ipaddress.ip_address(address)) if version == 6 else \
                str(ipaddress.IPv4Address(address))
            samples.append((text, row[2], row[3]))
    random.shuffle(samples)
    answer = subprocess.run(
        [tool, "lookup", "--json", "--db", city, "--db6", city6, "--asn", v4dat, "--asn6",
         v6dat],
        input="".join(s[0] + "\n" for s in samples), capture_output=True, text=True,
        check=True)
    lines = answer.stdout.splitlines()
    if len(lines) != len(samples):
        print("prove-asn: %d answers for %d addresses" % (len(lines), len(samples)))
        return 1
    wrong = 0
    for (address, number, name), line in zip(samples, lines):
        got = json.loads(line)
        if got["address"] != address or got["asn"] != number or got["organization"] != name:
            if wrong < 5:
                print("prove-asn: %s: expected AS%d %r, got %r %r"
                      % (address, number, name, got.get("asn"), got.get("organization")))
            wrong += 1
    print("prove-asn: %d of %d random addresses inside the source's ranges agree "
          "(number and name; goal: all)" % (len(samples) - wrong, len(samples)))
    return 0 if wrong == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
