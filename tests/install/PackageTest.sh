#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Packs the build with CPack's DEB generator into a temporary folder,
# unpacks the package with dpkg -x and checks what a user would get: the
# control fields, the files under /usr, the desktop entry naming the
# installed launcher and metadata that validates.
# Usage: PackageTest.sh BUILD_DIR APP_ID VERSION
set -u
build=$1 app=$2 version=$3
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
. "$(dirname "$0")/../support/checks.sh"

cpack --config "$build/CPackConfig.cmake" -G DEB -B "$tmp/out" >"$tmp/cpack.log" 2>&1
check "cpack makes the package" test $? -eq 0
deb=$tmp/out/orvanta_${version}_amd64.deb
check "the package is named by its version" test -s "$deb" || { cat "$tmp/cpack.log"; checks_summary; exit; }
dpkg-deb -x "$deb" "$tmp/root"
field() { dpkg-deb -f "$deb" "$1"; }

check "package and architecture" test "$(field Package) $(field Architecture)" = "orvanta amd64"
depends=$(field Depends)
for p in libqt6webenginecore6-bin libqt6webengine6-data libqt6svg6 ca-certificates iso-codes \
  libqt6widgets6 libcurl4 libmaxminddb0; do
  check "Depends names $p" grep -qE "(^|, )$p( |,|$)" <<<"$depends"
done

(cd "$tmp/root" && find . -mindepth 1 ! -type d | sort) >"$tmp/files"
check "every file is under /usr" test -z "$(grep -v '^\./usr/' "$tmp/files")"
for f in bin/orvanta bin/orvanta-db bin/orvanta-launcher \
  share/applications/$app.desktop share/metainfo/$app.metainfo.xml \
  share/icons/hicolor/scalable/apps/$app.svg share/icons/hicolor/48x48/apps/$app.png \
  share/icons/hicolor/128x128/apps/$app.png share/icons/hicolor/256x256/apps/$app.png \
  share/man/man1/orvanta.1.gz share/man/man1/orvanta-db.1.gz share/man/man1/orvanta-launcher.1.gz \
  share/bash-completion/completions/orvanta-db share/doc/orvanta/copyright \
  share/doc/orvanta/changelog.gz share/orvanta/db/README.txt share/orvanta/db/ATTRIBUTION.txt; do
  check "the package holds /usr/$f" grep -qx "./usr/$f" "$tmp/files"
done
check "the programs are stripped" \
  test -z "$(file "$tmp/root/usr/bin/orvanta" "$tmp/root/usr/bin/orvanta-db" | grep -v ', stripped')"

entry=$tmp/root/usr/share/applications/$app.desktop
check "the entry starts the installed launcher" grep -qx 'Exec="/usr/bin/orvanta-launcher" %F' "$entry"
check "the entry validates" test -z "$(desktop-file-validate "$entry" 2>&1)"
check "the metainfo validates" \
  appstreamcli validate --no-net "$tmp/root/usr/share/metainfo/$app.metainfo.xml"
check "the metainfo's launchable is the entry" \
  grep -q "<launchable type=\"desktop-id\">$app.desktop</launchable>" \
  "$tmp/root/usr/share/metainfo/$app.metainfo.xml"
check "the launcher finds the db README of the package" \
  grep -q '"$here/../share/orvanta/db/README.txt"' "$tmp/root/usr/bin/orvanta-launcher"

checks_summary
