#!/usr/bin/env bash
# Runs pivra's generator, seeded exactly as a run seeds it, through dieharder, with
# the published reference ISAAC beside it for comparison.
#   scripts/dieharder.sh [--quick]  seven tests of different kinds, about a minute
#   scripts/dieharder.sh --full     the whole battery (-a); hours; then rngtest's
#                                   FIPS 140-2 tests over 100,000 blocks of each
# A WEAK result is re-tested (-Y 1) before it counts. Exits 1 when pivra's
# generator FAILED a dieharder test; rngtest's results are reported only. The full
# report goes to build/dieharder.txt.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
mode=${1:---quick}
case "$mode" in --quick | --full) ;; *) echo "usage: $0 [--quick|--full]" >&2; exit 2 ;; esac

"$root/scripts/ensure-packages.sh" dieharder
[ "$mode" = --full ] && "$root/scripts/ensure-packages.sh" rng-tools5
stream=${PIVRA_STREAM:-}
if [ -z "$stream" ]; then
  # Only the stream is built, without the tests, so a fresh clone needs neither
  # GoogleTest nor Boost.Math: the build tools are all.
  for tool in cmake make g++; do
    command -v "$tool" >/dev/null || { "$root/scripts/ensure-packages.sh" cmake make g++; break; }
  done
  cmake -S "$root" -B "$root/build/release" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
    >/dev/null
  cmake --build "$root/build/release" --target pivra-stream -j"$(nproc)" >/dev/null
  stream="$root/build/release/pivra-stream"
fi
report="$root/build/dieharder.txt"
mkdir -p "$(dirname "$report")"
: >"$report"

quick_tests=(0 1 3 100 101 202 204)  # birthdays, OPERM5, rank 6x8, monobit, runs, rgb
pivra_failed=0
for generator in pivra reference; do
  flags=()
  [ "$generator" = reference ] && flags=(--reference)
  output=$(mktemp)
  if [ "$mode" = --full ]; then
    "$stream" "${flags[@]}" | dieharder -g 200 -a -Y 1 >"$output"
  else
    for test in "${quick_tests[@]}"; do
      "$stream" "${flags[@]}" | dieharder -g 200 -d "$test" -Y 1 >>"$output"
    done
  fi
  { echo "==== $generator ===="; cat "$output"; } >>"$report"
  # The last line of each test and tuple is its resolved assessment.
  summary=$(awk -F'|' '/PASSED|WEAK|FAILED/ {
      gsub(/ /, "", $1); gsub(/ /, "", $2); gsub(/ /, "", $6); final[$1 " " $2] = $6 }
    END { for (t in final) count[final[t]]++
          printf "%d PASSED, %d WEAK, %d FAILED", count["PASSED"], count["WEAK"], count["FAILED"] }' \
    "$output")
  awk -F'|' '/FAILED/ { print "  failed:" $1 }' "$output"
  echo "$generator: $summary"
  if [ "$generator" = pivra ] && [[ $summary != *" 0 FAILED" ]]; then pivra_failed=1; fi
  rm -f "$output"
done
if [ "$mode" = --full ]; then
  # pivra's generator repeats an output about once in 66,000 (bench/README.md), which
  # the continuous-run test sees in about one block in a hundred. Known, so reported,
  # not failed on: rngtest exits 1 on any failed block, the reference's included.
  blocks=100000
  for generator in pivra reference; do
    flags=()
    [ "$generator" = reference ] && flags=(--reference)
    result=$("$stream" "${flags[@]}" | rngtest -c "$blocks" 2>&1) || true
    { echo "==== rngtest: $generator ===="; echo "$result"; } >>"$report"
    awk -F': ' -v name="$generator" -v blocks="$blocks" '
      /FIPS 140-2 failures/ { failed = $3 } /Continuous run/ { continuous = $3 }
      END { printf "rngtest %s: %s of %s blocks failed; the continuous-run test failed %s\n",
                   name, failed, blocks, continuous }' <<<"$result"
  done
fi
echo "full report: $report"
exit "$pivra_failed"
