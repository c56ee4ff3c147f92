#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The desktop metadata and the manuals as the validators see them, and the
# manuals and the completion against the tool's own usage texts, so that an
# option added to the tool without its documentation is caught here.
# Usage: MetadataTest.sh SOURCE_DIR BUILD_DIR APP_ID VERSION ORVANTA ORVANTA_DB
set -u
src=$1 build=$2 app=$3 version=$4 program=$5 tool=$6
. "$(dirname "$0")/../support/checks.sh"

entry=$build/resources/$app.desktop
metainfo=$build/resources/$app.metainfo.xml
check "desktop-file-validate accepts the entry without a remark" \
  test -z "$(desktop-file-validate "$entry" 2>&1)" -a -s "$entry"
check "appstreamcli accepts the metainfo" appstreamcli validate --no-net "$metainfo"
check "the metainfo announces this version" grep -q "<release version=\"$version\"" "$metainfo"
for page in orvanta.1 orvanta-db.1; do
  check "mandoc finds nothing to warn of in $page" mandoc -T lint -W warning "$src/man/$page"
  check "$page names this version" grep -q "\"Orvanta $version\"" "$src/man/$page"
done

# Without a display: answered before the windows would need one.
check "orvanta --version answers without a display" \
  test "$(env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM= "$program" --version)" = "orvanta $version"

options=$(for command in "" info lookup build update; do
  "$tool" $command --help
done | grep -oE -- '--[a-z0-9][a-z0-9-]*' | sort -u)
check "the usage texts name options" test -n "$options"
for option in $options; do
  check "orvanta-db(1) describes $option" grep -qF -- "${option//-/\\-}" "$src/man/orvanta-db.1"
  check "the completion offers $option" grep -qF -- "$option" "$src/completion/orvanta-db"
done
usage=$("$tool" --help)
for form in "build --csv FILE" "build --mmdb FILE"; do
  check "the tool's usage lists $form" grep -q "^  $form" <<<"$usage"
done

checks_summary
