#!/usr/bin/env bash
# Three real runs of a cross-built pivra under RUNNER (qemu-user), one after the
# other in one directory: each prints nothing and exits 0, and the three files,
# named through the counter that stands in for the x86 time-stamp counter, are
# distinct draw files that the native pivra-check calls valid.
#   real_runs_test.sh NATIVE_PIVRA_CHECK PIVRA RUNNER...
set -uo pipefail
export LC_ALL=C

native_check=$1
pivra=$2
shift 2

if [ -z "$native_check" ] || [ ! -x "$native_check" ]; then
  echo "SKIP: no native pivra-check at '$native_check'; build the ci preset first"
  exit 77
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/pivra-real-runs.XXXXXX") || exit 1
trap 'rm -rf "$work"' EXIT
mkdir "$work/runs"

for run in 1 2 3; do
  output=$(cd "$work/runs" && exec "$@" "$pivra" 2>&1)
  status=$?
  if [ "$status" != 0 ] || [ -n "$output" ]; then
    echo "FAIL: run $run exited $status, printing: $output"
    exit 1
  fi
done
report=$(cd "$work/runs" && "$native_check" -- * 2>&1)
status=$?
echo "$report"
if [ "$status" != 0 ] || [ "$(grep -c '^pivra-[0-9-]*[0-9]\.TXT: OK$' <<<"$report")" != 3 ]; then
  echo "FAIL: not three valid draw files"
  exit 1
fi
