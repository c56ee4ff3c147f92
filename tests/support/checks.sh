# SPDX-License-Identifier: GPL-3.0-or-later
# Sourced by the shell tests: `check DESCRIPTION COMMAND...` runs the
# command and counts it as passed or failed; `checks_summary` prints the
# closing "N passed, N failed" line and returns non-zero on any failure.
failures=0 passes=0
check() {
  local what=$1
  shift
  if "$@"; then
    echo "ok: $what"; passes=$((passes + 1))
  else
    echo "FAILED: $what"; failures=$((failures + 1))
  fi
}
checks_summary() {
  echo "$passes passed, $failures failed"
  [ "$failures" -eq 0 ]
}
