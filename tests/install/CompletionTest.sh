#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The bash completion of orvanta-db: commands, each command's options, and
# file names of the kind an option asks for.
# Usage: CompletionTest.sh COMPLETION_FILE
set -u
completion=$1
. "$(dirname "$0")/../support/checks.sh"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
cd "$tmp" || exit 1
mkdir data && touch a.csv b.mmdb c.mmdb.gz d.dat e.txt
. /usr/share/bash-completion/bash_completion
. "$completion"

# The candidates for the command line $1 (the cursor at its end), one a line.
candidates() {
  read -r -a COMP_WORDS <<<"$1"
  [[ $1 == *' ' ]] && COMP_WORDS+=("")
  COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
  COMP_LINE=$1 COMP_POINT=${#1}
  COMPREPLY=()
  _orvanta_db orvanta-db "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
  printf '%s\n' "${COMPREPLY[@]}" | sort
}

# command line | candidates expected among the answers | candidates not expected
while IFS='|' read -r line want unwanted; do
  got=$(candidates "$line")
  for w in $want; do
    check "'$line' offers $w" grep -qx -- "$w" <<<"$got"
  done
  for u in $unwanted; do
    check "'$line' does not offer $u" test -z "$(grep -x -- "$u" <<<"$got")"
  done
done <<'ROWS'
orvanta-db |info lookup endpoints build update --version|a.csv
orvanta-db bu|build|info
orvanta-db build --|--csv --mmdb --output --edition --fit|--json --db
orvanta-db lookup --|--db --db6 --asn --asn6 --json|--csv
orvanta-db endpoints --|--db --db6 --asn --asn6 --json|--csv
orvanta-db endpoints |e.txt b.mmdb data|--json
orvanta-db update --|--dir --url --from --force|--fit
orvanta-db build --csv |a.csv data|b.mmdb e.txt
orvanta-db build --mmdb |b.mmdb data|a.csv
orvanta-db update --from |b.mmdb c.mmdb.gz|a.csv e.txt
orvanta-db update --dir |data|a.csv
orvanta-db lookup --db |d.dat|e.txt
orvanta-db info |d.dat|e.txt
orvanta-db build --edition |2 6|7
ROWS

checks_summary
