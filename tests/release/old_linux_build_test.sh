#!/usr/bin/env bash
# scripts/run.sh on the oldest Linux it promises: in the Debian 11 root of
# old_root.sh, given cmake, make, g++ and Boost.Math from that release (CMake
# 3.18, g++ 10, Boost 1.74), it builds pivra and pivra-check from a copy of the
# tree and writes a file that pivra-check accepts. Where that root cannot be had
# or used, or its packages cannot be installed (no root, no network), it says SKIP
# and why, and ends with status 77.
# Usage: old_linux_build_test.sh SOURCE_DIR
set -euo pipefail
source_dir=$1
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../tool_checks.sh"
source "$here/old_root.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

skip() {
  echo "SKIP: scripts/run.sh in a Debian 11 root: $*"
  exit 77
}
old_root_make "$source_dir"
# Installed once: the root is kept for the next run.
packages="cmake make g++ libboost-math-dev"
if ! old_root_run "dpkg -s $packages" >/dev/null 2>&1; then
  cp /etc/resolv.conf "$old_root/etc/resolv.conf"
  old_root_run "export DEBIAN_FRONTEND=noninteractive
    apt-get update && apt-get install -y --no-install-recommends $packages" >"$work/log" 2>&1 ||
    skip "cannot install $packages there: $(tail -n 1 "$work/log")"
fi
# shellcheck disable=SC2016  # expanded there
old_root_run 'echo "Debian $(cat /etc/debian_version), $(cmake --version | sed -n 1p), $(g++ --version | sed -n 1p)"'

inside=/tmp/pivra-build-test
rm -rf --one-file-system "${old_root:?}$inside"
mkdir -p "$old_root$inside/tree" "$old_root$inside/run"
(cd "$source_dir" && git ls-files -z | xargs -0 cp --parents -t "$old_root$inside/tree")
status=0
old_root_run "cd $inside/run && $inside/tree/scripts/run.sh && $inside/tree/build/release/pivra-check -- *" \
  >"$work/out" 2>&1 || status=$?
rm -rf --one-file-system "${old_root:?}$inside"
cat "$work/out"
if [ "$status" != 0 ] || ! grep -qE '^wrote pivra-.*\.TXT$' "$work/out" ||
  ! grep -qE '^pivra-.*\.TXT: OK$' "$work/out"; then
  fail "run.sh on Debian 11 (status $status) wrote no file that its pivra-check accepts"
fi
echo "PASS: on Debian 11, scripts/run.sh built pivra and pivra-check, and the file it wrote is valid"
