#!/usr/bin/env bash
# Three real runs of a cross-built pivra under RUNNER (qemu-user) in one directory:
# each prints nothing and exits 0, and the three files, named through the counter
# that stands in for the x86 time-stamp counter, are distinct draw files that the
# native pivra-check calls valid.
#   real_runs_test.sh NATIVE_PIVRA_CHECK PIVRA RUNNER...
set -uo pipefail
export LC_ALL=C
native_check=$1
pivra=$2
shift 2
work=$(mktemp -d "${TMPDIR:-/tmp}/pivra-real-runs.XXXXXX") || exit 1
trap 'rm -rf "$work"' EXIT

for run in 1 2 3; do
  output=$(cd "$work" && exec "$@" "$pivra" 2>&1) || { echo "FAIL: run $run exited $?"; exit 1; }
  [ -z "$output" ] || { echo "FAIL: run $run printed: $output"; exit 1; }
done
report=$(cd "$work" && "$native_check" -- * 2>&1)
echo "$report"
[ "$(grep -c '^pivra-[0-9-]*\.TXT: OK$' <<<"$report")" = 3 ] ||
  { echo "FAIL: not three valid draw files"; exit 1; }
