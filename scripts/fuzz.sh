#!/usr/bin/env bash
# Fuzzes what pivra-check reads: builds the libFuzzer harnesses of tests/fuzz with
# clang (the fuzz preset; clang is installed when missing) and runs each in turn
# for SECONDS (600 when not given), one job at a time, from the committed corpus.
# Inputs that reach new code collect in build/fuzz/corpus/HARNESS; a crash, hang,
# sanitizer report or failed check is kept in build/fuzz-crashes/ and fails the run.
# SECONDS 0 replays the corpus through each harness and fuzzes nothing.
#   scripts/fuzz.sh [SECONDS]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

seconds=${1:-600}
if ! [[ $seconds =~ ^[0-9]+$ ]]; then
  sed -n '2,8s/^# \{0,1\}//p' "$0" >&2
  exit 2
fi

scripts/ensure-packages.sh cmake make clang libclang-rt-dev libboost-math-dev
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j"$(nproc)"

crashes=$root/build/fuzz-crashes
mkdir -p "$crashes"
found=()
for harness in draw_check name_list escape fairness arguments; do
  log=build/fuzz/$harness.log
  # Long enough for a name past the system's limit (4,095 bytes), and a few
  # draw files (2,775 bytes each) of raw bytes.
  options=(-artifact_prefix="$crashes/$harness-" -close_fd_mask=3 -print_final_stats=1
    -timeout=10 -max_len=8192)
  if [ "$seconds" = 0 ]; then
    options+=(-runs=0)
  else
    mkdir -p "build/fuzz/corpus/$harness"
    options+=(-max_total_time="$seconds" "build/fuzz/corpus/$harness")
  fi
  if "build/fuzz/tests/fuzz/fuzz_$harness" "${options[@]}" tests/fuzz/corpus >"$log" 2>&1; then
    echo "$harness: $(sed -n 's/^stat::number_of_executed_units: *//p' "$log") executions," \
      "no finding"
  else
    echo "$harness: FINDING; its log is $log, the input in $crashes/" >&2
    found+=("$harness")
  fi
done
if [ ${#found[@]} -gt 0 ]; then
  echo "findings in ${found[*]}" >&2
  exit 1
fi
