#!/usr/bin/env bash
# One whole pivra run under valgrind's memcheck, in an empty directory: no
# error, no leak of any kind, exit status 0 and the draw file written, whole
# as pivra-check judges it.
# Usage: memcheck_test.sh PIVRA PIVRA_CHECK
set -euo pipefail
pivra=$1
check=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/run"
status=0
(cd "$work/run" && valgrind --tool=memcheck --error-exitcode=99 --leak-check=full \
  --show-leak-kinds=all --errors-for-leak-kinds=all --track-origins=yes \
  --log-file="$work/memcheck.log" "$pivra") || status=$?
cat "$work/memcheck.log"
fail() {
  echo "FAIL: $*" >&2
  exit 1
}
[ "$status" -eq 0 ] || fail "pivra under memcheck exited $status"
grep -q 'ERROR SUMMARY: 0 errors' "$work/memcheck.log" || fail "memcheck found errors"
grep -q 'All heap blocks were freed -- no leaks are possible' "$work/memcheck.log" ||
  fail "heap blocks were left at exit"
"$check" -q "$work"/run/pivra-*.TXT || fail "no valid draw file"
echo "PASS: one run under memcheck, no errors, no leaks"
