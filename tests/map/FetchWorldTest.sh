#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# scripts/fetch-world against a stand-in npm: a package that converts
# (with a shape cut at the 180th meridian), the cache kept between runs, an
# unreachable registry, a package holding garbage, and a run folder that
# already has its world map. The script must never fail its caller.
# Usage: FetchWorldTest.sh FETCH_WORLD
set -u
fetch=$1
command -v node >/dev/null 2>&1 || { echo "node is not installed"; exit 77; }
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
. "$(dirname "$0")/../support/checks.sh"

# A topology of two countries: a square, and one whose ring crosses the
# 180th meridian (179 -> 180 | -180 -> -179), quantized with a transform.
make_package() { # DIR, countries JSON text
  mkdir -p "$1/package"
  printf '%s' "$2" >"$1/package/countries-50m.json"
  echo "ISC licence text" >"$1/package/LICENSE"
  tar -czf "$1.tgz" -C "$1" package
}
make_package "$tmp/good" '{"type":"Topology","transform":{"scale":[1,1],"translate":[-180,-90]},
 "objects":{"countries":{"type":"GeometryCollection","geometries":[
  {"type":"Polygon","arcs":[[0]],"properties":{"name":"Square"}},
  {"type":"Polygon","arcs":[[1]],"properties":{"name":"Across"}}]}},
 "arcs":[[[180,90],[10,0],[0,10],[-10,0],[0,-10]],
         [[359,80],[1,0],[-360,0],[1,0],[0,5],[-1,0],[360,0],[-1,0],[0,-5]]]}'
make_package "$tmp/bad" 'not json at all'

mkdir -p "$tmp/bin"
cat >"$tmp/bin/npm-down" <<'EOS'
#!/bin/sh
echo "npm error network request failed" >&2
exit 1
EOS
for kind in good bad; do
  cat >"$tmp/bin/npm-$kind" <<EOS
#!/bin/sh
[ "\$1" = pack ] || exit 3
cp "$tmp/$kind.tgz" ./world-atlas-9.9.9.tgz
echo world-atlas-9.9.9.tgz
EOS
done
chmod +x "$tmp/bin/"*

run() { # NPM CACHE RUN_DIR
  ORVANTA_NPM=$tmp/bin/$1 ORVANTA_CACHE=$tmp/$2 "$fetch" "$tmp/$3" 2>"$tmp/stderr"
}

# The rings as the map gets them: every longitude step under 180 degrees.
continuous() {
  node -e '
    const d = JSON.parse(require("fs").readFileSync(process.argv[1], "utf8"));
    const names = d.features.map((f) => f.properties.name).join(",");
    if (d.type !== "FeatureCollection" || names !== "Square,Across") process.exit(1);
    for (const f of d.features)
      for (const ring of f.geometry.coordinates)
        for (let i = 1; i < ring.length; ++i)
          if (Math.abs(ring[i][0] - ring[i - 1][0]) > 180) process.exit(1);
    const square = d.features[0].geometry.coordinates[0];
    if (JSON.stringify(square[0]) !== "[0,0]" || JSON.stringify(square[2]) !== "[10,10]") process.exit(1);
  ' "$1"
}

check "a package converts" run npm-good cache one
check "world.geojson holds both countries, rings continuous" continuous "$tmp/one/world.geojson"
check "the licence note names Natural Earth and holds the package licence" \
  grep -q "Natural Earth" "$tmp/one/world/ATTRIBUTION.txt"
check "... and the package's own licence" grep -q "ISC licence text" "$tmp/one/world/ATTRIBUTION.txt"
check "no temporary file is left" test -z "$(ls "$tmp/one" | grep tmp)"

check "a second run folder is filled from the cache, registry down" run npm-down cache two
check "... with the same world map" cmp -s "$tmp/one/world.geojson" "$tmp/two/world.geojson"

printf 'kept' >"$tmp/two/world.geojson"
check "a run folder that has its world map is left alone" run npm-good empty-cache two
check "... untouched" test "$(cat "$tmp/two/world.geojson")" = kept

check "an unreachable registry does not fail the caller" run npm-down empty three
check "... leaves no world map" test ! -e "$tmp/three/world.geojson"
check "... and says why" grep -q "not reachable.*runs without its world map" "$tmp/stderr"

check "a package holding garbage does not fail the caller" run npm-bad bad-cache four
check "... leaves no world map" test ! -e "$tmp/four/world.geojson"

checks_summary
