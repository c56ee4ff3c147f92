#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the build into a temporary folder (DESTDIR, then --prefix) and
# checks the desktop entry and the launcher: the entry starts the launcher
# by its installed path, and the launcher starts the program in the user's
# data folder, made on first start with the db/ README. A stand-in replaces
# the installed program, so the check is quick and needs no display.
# Usage: InstallTest.sh BUILD_DIR INSTALL_PREFIX APP_ID
set -u
build=$1 prefix=$2 app=$3
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
. "$(dirname "$0")/../support/checks.sh"

DESTDIR=$tmp/stage cmake --install "$build" >"$tmp/install.log" 2>&1
check "cmake --install with DESTDIR succeeds" test $? -eq 0
root=$tmp/stage$prefix
bin=$root/bin
check "the launcher is installed beside the program" test -x "$bin/orvanta-launcher" -a -x "$bin/orvanta"
check "orvanta-db is installed" test -x "$bin/orvanta-db"
entry=$root/share/applications/$app.desktop
check "the desktop entry starts the launcher by its installed path" \
  grep -qx "Exec=\"$prefix/bin/orvanta-launcher\" %F" "$entry"
check "the icon is in the hicolor theme at every size" \
  test -s "$root/share/icons/hicolor/scalable/apps/$app.svg" \
  -a -s "$root/share/icons/hicolor/48x48/apps/$app.png" \
  -a -s "$root/share/icons/hicolor/128x128/apps/$app.png" \
  -a -s "$root/share/icons/hicolor/256x256/apps/$app.png"
check "the entry names the icon by the id" grep -qx "Icon=$app" "$entry"
check "the metainfo is installed" grep -q "<id>$app</id>" "$root/share/metainfo/$app.metainfo.xml"
check "the manuals are installed, the launcher's a link to the program's" \
  test -s "$root/share/man/man1/orvanta.1.gz" -a -s "$root/share/man/man1/orvanta-db.1.gz" \
  -a -L "$root/share/man/man1/orvanta-launcher.1.gz" -a -s "$root/share/man/man1/orvanta-launcher.1.gz"
check "the completion is installed" test -s "$root/share/bash-completion/completions/orvanta-db"
check "the db README is installed" grep -q "orvanta-db update" "$root/share/orvanta/db/README.txt"

# The program replaced by a stand-in that reports where it was started.
cat >"$bin/orvanta" <<EOS
#!/bin/sh
pwd >"$tmp/started-in"
printf '%s\n' "\$@" >"$tmp/arguments"
ls db >"$tmp/db-listing"
EOS
chmod +x "$bin/orvanta"

mkdir -p "$tmp/home"
(cd / && HOME=$tmp/home XDG_DATA_HOME= timeout 20 "$bin/orvanta-launcher" --first "two words")
check "the launcher exits with the program" test $? -eq 0
check "the program runs in ~/.local/share/orvanta" \
  test "$(cat "$tmp/started-in" 2>/dev/null)" = "$tmp/home/.local/share/orvanta"
check "the arguments are passed on" \
  test "$(cat "$tmp/arguments" 2>/dev/null)" = $'--first\ntwo words'
touch "$tmp/capture.pcap"
(cd "$tmp" && HOME=$tmp/home XDG_DATA_HOME= timeout 20 "$bin/orvanta-launcher" capture.pcap)
check "a file named from the start folder is passed on by its full name" \
  test "$(cat "$tmp/arguments" 2>/dev/null)" = "$tmp/capture.pcap"
check "the entry opens captures" \
  grep -qx "MimeType=application/vnd.tcpdump.pcap;application/x-pcapng;" "$entry"
check "the first start makes db/ with the README" \
  grep -q "orvanta-db update" "$tmp/home/.local/share/orvanta/db/README.txt"
check "the folder is there before the program starts" grep -qx README.txt "$tmp/db-listing"

echo "my notes" >"$tmp/home/.local/share/orvanta/db/README.txt"
(HOME=$tmp/home XDG_DATA_HOME=$tmp/xdg timeout 20 "$bin/orvanta-launcher")
check "XDG_DATA_HOME decides the folder" test "$(cat "$tmp/started-in")" = "$tmp/xdg/orvanta"
(HOME=$tmp/home XDG_DATA_HOME=relative timeout 20 "$bin/orvanta-launcher")
check "a relative XDG_DATA_HOME is ignored" \
  test "$(cat "$tmp/started-in")" = "$tmp/home/.local/share/orvanta"
check "a README already there is kept" grep -qx "my notes" "$tmp/home/.local/share/orvanta/db/README.txt"

ln -s "$bin/orvanta-launcher" "$tmp/linked-launcher"
(HOME=$tmp/home2 "$tmp/linked-launcher")
check "started through a link, it finds the program" \
  test "$(cat "$tmp/started-in")" = "$tmp/home2/.local/share/orvanta"

cmake --install "$build" --prefix "$tmp/other" >"$tmp/install2.log" 2>&1
check "an install-time prefix names the launcher in the entry" \
  grep -qx "Exec=\"$tmp/other/bin/orvanta-launcher\" %F" "$tmp/other/share/applications/$app.desktop"

checks_summary
