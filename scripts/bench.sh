#!/usr/bin/env bash
# Builds Release with the benchmarks, runs them, counts equal consecutive outputs
# of the generator and of the reference over 10^9 words each, then times whole
# processes in a tmpfs directory against the floor (one getrandom call) and two
# peer scripts, and the static programs of the release's archives for any Linux
# against the dynamic ones.
# Prints one table of ratios to the floor, with instruction counts and peak RSS
# (bench/ratios.py).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build/bench"
python=/usr/bin/python3  # the interpreter itself, not a version-manager shim

"$root/scripts/ensure-packages.sh" cmake make g++ gcc libbenchmark-dev libboost-math-dev hyperfine valgrind \
  python3 coreutils
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
  -DPIVRA_BENCHMARKS=ON -DPIVRA_CHECK=ON >/dev/null
cmake --build "$build" -j"$(nproc)" >/dev/null
# pivra and pivra-check as the release's archives for any Linux link them.
cmake -S "$root" -B "$build-static" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
  -DPIVRA_STATIC=ON -DPIVRA_CHECK=ON >/dev/null
cmake --build "$build-static" --target pivra pivra-check -j"$(nproc)" >/dev/null

results=$(mktemp -d)
work=$(mktemp -d /dev/shm/pivra-bench-XXXXXX)
trap 'rm -rf "$results" "$work"' EXIT

echo "== generator (ns per output; read items_per_second) =="
"$build/bench/generator" --benchmark_repetitions=7 --benchmark_report_aggregates_only=true \
  --benchmark_out="$results/generator.json" --benchmark_out_format=json | grep median
echo "== equal consecutive outputs =="
"$build/bench/repeats"
echo "== whole run in process =="
(cd "$work" && "$build/bench/run" --benchmark_repetitions=5 \
  --benchmark_report_aggregates_only=true --benchmark_out="$results/run.json" \
  --benchmark_out_format=json | grep median)

echo "== whole processes (hyperfine, in $work) =="
cd "$work"
hyperfine -N --warmup 20 --min-runs 200 --export-json "$results/fast.json" \
  -n pivra "$build/pivra" -n floor "$build/bench/floor" -n "pivra static" "$build-static/pivra" \
  >/dev/null
# The files those runs wrote, checked by each pivra-check.
written=(*.TXT)
printf '%s\0' "${written[@]:0:200}" >"$results/files"
hyperfine -N --warmup 5 --min-runs 100 --export-json "$results/check.json" \
  -n pivra-check "$build/pivra-check -q --files0-from=$results/files" \
  -n "pivra-check static" "$build-static/pivra-check -q --files0-from=$results/files" >/dev/null
hyperfine -N --warmup 2 --min-runs 20 --export-json "$results/peers.json" \
  -n pivra "$build/pivra" -n floor "$build/bench/floor" \
  -n "shell script" "bash $root/bench/peers/draw.sh" \
  -n "python3 script" "$python $root/bench/peers/draw.py" >/dev/null

for program in pivra floor; do
  binary="$build/pivra"
  [ "$program" = floor ] && binary="$build/bench/floor"
  valgrind --tool=callgrind --callgrind-out-file="$results/$program.callgrind" "$binary" \
    2>"$results/$program.valgrind"
done

"$python" "$root/bench/ratios.py" "$results" "$build"
