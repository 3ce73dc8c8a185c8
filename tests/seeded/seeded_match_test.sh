#!/usr/bin/env bash
# The same seed bytes give the same file, name and contents, on every platform:
#   seeded_match_test.sh PLATFORM NATIVE_PIVRA_SEEDED OTHER_PIVRA_SEEDED [RUNNER...]
# Runs both with a few seeds, each in its own fresh directory, the other platform's
# under RUNNER (Wine, qemu-user). Exits 77 (skipped) when the native build is not
# there to compare with.
set -uo pipefail
export LC_ALL=C

platform=$1
native_seeded=$2
other_seeded=$3
shift 3

if [ -z "$native_seeded" ] || [ ! -x "$native_seeded" ]; then
  echo "SKIP: no native pivra-seeded at '$native_seeded'; build the ci preset first"
  exit 77
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/pivra-seeded-test.XXXXXX") || exit 1
trap 'rm -rf "$work"' EXIT

failed=0
for seed in 1 2 0xDEADBEEF 4294967295; do
  mkdir "$work/native-$seed" "$work/other-$seed"
  (cd "$work/native-$seed" && exec "$native_seeded" "$seed")
  native_status=$?
  (cd "$work/other-$seed" && exec "$@" "$other_seeded" "$seed")
  other_status=$?
  native_files=$(ls "$work/native-$seed")
  other_files=$(ls "$work/other-$seed")
  if [ "$native_status" != 0 ] || [ "$other_status" != 0 ]; then
    echo "FAIL: seed $seed: exit status $native_status natively, $other_status on $platform"
    failed=1
  elif [ "$native_files" != "$other_files" ] || [ "$(echo "$native_files" | wc -l)" != 1 ]; then
    echo "FAIL: seed $seed: the native build wrote '$native_files', $platform '$other_files'"
    failed=1
  elif ! cmp "$work/native-$seed/$native_files" "$work/other-$seed/$other_files"; then
    echo "FAIL: seed $seed: the $platform file differs from the native one"
    failed=1
  else
    echo "seed $seed: native and $platform both wrote $native_files," \
      "$(stat -c %s "$work/native-$seed/$native_files") bytes alike"
  fi
done
# A seed that changed nothing would make the comparison above say little.
if [ "$failed" = 0 ] && cmp -s "$work"/native-1/* "$work"/native-2/*; then
  echo "FAIL: seeds 1 and 2 gave the same file"
  failed=1
fi
exit "$failed"
