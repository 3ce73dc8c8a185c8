#!/usr/bin/env bash
# The same seed bytes give the same file, name and contents, on Linux and on Windows:
#   seeded_match_test.sh LINUX_PIVRA_SEEDED WINDOWS_PIVRA_SEEDED_EXE
# Runs both with a few seeds, each in its own fresh directory, the Windows one under
# Wine. Exits 77 (skipped) when the Linux build is not there to compare with.
set -uo pipefail
export LC_ALL=C

linux_seeded=$1
windows_seeded=$2
WINE=${WINE:-wine}

if [ -z "$linux_seeded" ] || [ ! -x "$linux_seeded" ]; then
  echo "SKIP: no Linux pivra-seeded at '$linux_seeded'; build the ci preset first"
  exit 77
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/pivra-seeded-test.XXXXXX") || exit 1
trap 'rm -rf "$work"' EXIT

failed=0
for seed in 1 2 0xDEADBEEF 4294967295; do
  mkdir "$work/linux-$seed" "$work/windows-$seed"
  (cd "$work/linux-$seed" && exec "$linux_seeded" "$seed")
  linux_status=$?
  (cd "$work/windows-$seed" && exec "$WINE" "$windows_seeded" "$seed")
  windows_status=$?
  linux_files=$(ls "$work/linux-$seed")
  windows_files=$(ls "$work/windows-$seed")
  if [ "$linux_status" != 0 ] || [ "$windows_status" != 0 ]; then
    echo "FAIL: seed $seed: exit status $linux_status on Linux, $windows_status on Windows"
    failed=1
  elif [ "$linux_files" != "$windows_files" ] || [ "$(echo "$linux_files" | wc -l)" != 1 ]; then
    echo "FAIL: seed $seed: Linux wrote '$linux_files', Windows '$windows_files'"
    failed=1
  elif ! cmp "$work/linux-$seed/$linux_files" "$work/windows-$seed/$windows_files"; then
    echo "FAIL: seed $seed: the two files differ"
    failed=1
  else
    echo "seed $seed: both wrote $linux_files, $(stat -c %s "$work/linux-$seed/$linux_files") bytes alike"
  fi
done
# A seed that changed nothing would make the comparison above say little.
if [ "$failed" = 0 ] && cmp -s "$work"/linux-1/* "$work"/linux-2/*; then
  echo "FAIL: seeds 1 and 2 gave the same file"
  failed=1
fi
exit "$failed"
