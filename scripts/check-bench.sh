#!/usr/bin/env bash
# Times pivra-check's workers against reading in line and against the floor of
# reading an archive: the bare loop that opens, reads and closes each listed file
# and does nothing else (bench/read_floor). For each N (default 100000 and
# 1000000) it writes N valid draw files of independent random permutations into a
# tmpfs, then times in one hyperfine run, on every core and again on one
# (taskset -c 0), the floor and `pivra-check -q` and `--fairness` (with
# --files0-from), by the workers and in line (PIVRA_CHECK_READ_IN_LINE=1). It
# prints each as wall time, CPU, ratio to reading in line and peak RSS. Last, the
# instructions a file of each, as callgrind counts them in line on one core over
# 3,000 files less one.
#   scripts/check-bench.sh [N ...]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build/bench"
sizes=("$@")
[ ${#sizes[@]} -gt 0 ] || sizes=(100000 1000000)

"$root/scripts/ensure-packages.sh" cmake make g++ gcc libbenchmark-dev libboost-math-dev \
  hyperfine findutils valgrind util-linux
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
  -DPIVRA_BENCHMARKS=ON -DPIVRA_CHECK=ON >/dev/null
cmake --build "$build" --target pivra-check read_floor make_archive peak_rss -j"$(nproc)" >/dev/null

work=$(mktemp -d /dev/shm/pivra-check-bench-XXXXXX)
trap 'rm -rf "$work"' EXIT
check=$build/pivra-check
echo "$(nproc) cores; $(uname -r); load $(cut -d' ' -f1-3 /proc/loadavg)"
for n in "${sizes[@]}"; do
  archive="$work/archive-$n"
  "$build/bench/make_archive" "$archive" "$n"
  names="$archive.names"
  runs=$((n >= 1000000 ? 3 : 10))
  for cores in all one; do
    pin=()
    [ "$cores" = one ] && pin=(taskset -c 0)
    commands=(floor "${pin[*]} $build/bench/read_floor $names")
    for what in -q --fairness; do
      run="${pin[*]} $check $what --files0-from=$names"
      label=${what//-/}  # hyperfine takes no name that starts with a dash
      commands+=("$label in line" "env PIVRA_CHECK_READ_IN_LINE=1 $run" "$label workers" "$run")
    done
    # -i: a fair archive can still be flagged, by chance, with status 1.
    args=()
    for ((i = 0; i < ${#commands[@]}; i += 2)); do args+=(-n "${commands[i]}" "${commands[i + 1]}"); done
    hyperfine -N -i --warmup 1 --runs "$runs" --export-csv "$work/times.csv" "${args[@]}" >/dev/null
    : >"$work/rss"
    for ((i = 1; i < ${#commands[@]}; i += 2)); do
      # Measured inside env and taskset, which it would otherwise measure.
      measured=${commands[i]/"$check"/"$build/bench/peak_rss $check"}
      measured=${measured/"$build/bench/read_floor"/"$build/bench/peak_rss $build/bench/read_floor"}
      # shellcheck disable=SC2086 # each command is words, as hyperfine took it
      rss=$($measured 2>/dev/null | tail -n 1) || true
      echo "${rss:-0}" >>"$work/rss"
    done
    echo "== $n files, $cores core(s) ($runs runs each) =="
    printf '%-20s %9s %9s %9s %12s\n' command "wall (s)" "CPU (s)" "÷ in line" "peak RSS KiB"
    tail -n +2 "$work/times.csv" | paste -d, - "$work/rss" | awk -F, '
      { cpu = $5 + $6; if ($1 ~ /in line/) line = $2
        printf "%-20s %9.3f %9.3f %9s %12d\n", $1, $2, cpu,
               ($1 ~ /workers/ ? sprintf("%.2f", $2 / line) : ""), $9 }'
  done
  rm -rf "$archive" "$names"
done

# Instructions a file: 3,000 files less one, in line on one core, where the same
# code runs as the workers'.
"$build/bench/make_archive" "$work/few" 3000
head -z -n 1 "$work/few.names" >"$work/one.names"
instructions() {
  PIVRA_CHECK_READ_IN_LINE=1 taskset -c 0 valgrind --tool=callgrind \
    --callgrind-out-file="$work/callgrind.out" "$check" "$@" >/dev/null 2>&1 || true
  sed -n 's/^summary: //p' "$work/callgrind.out"
}
for what in -q --fairness; do
  many=$(instructions "$what" "--files0-from=$work/few.names")
  one=$(instructions "$what" "--files0-from=$work/one.names")
  echo "pivra-check $what: $(((many - one) / 2999)) instructions a file"
done
