#!/usr/bin/env bash
# Times pivra-check against the floor of reading an archive: the bare loop that
# opens, reads and closes each listed file and does nothing else (bench/read_floor).
# For each N (default 100000 and 1000000) it writes N valid draw files of
# independent random permutations into a tmpfs, then times in one hyperfine run
# the floor, `pivra-check -q`, `pivra-check --fairness` (both with --files0-from)
# and `xargs -0 cat`, and prints each as a ratio to the floor, with its peak RSS.
#   scripts/check-bench.sh [N ...]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build/bench"
sizes=("$@")
[ ${#sizes[@]} -gt 0 ] || sizes=(100000 1000000)

"$root/scripts/ensure-packages.sh" cmake make g++ gcc libbenchmark-dev libboost-math-dev \
  hyperfine findutils
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
  -DPIVRA_BENCHMARKS=ON -DPIVRA_CHECK=ON >/dev/null
cmake --build "$build" --target pivra-check read_floor make_archive peak_rss -j"$(nproc)" >/dev/null

work=$(mktemp -d /dev/shm/pivra-check-bench-XXXXXX)
trap 'rm -rf "$work"' EXIT
echo "$(nproc) cores; $(uname -r); load $(cut -d' ' -f1-3 /proc/loadavg)"
for n in "${sizes[@]}"; do
  archive="$work/archive-$n"
  "$build/bench/make_archive" "$archive" "$n"
  names="$archive.names"
  floor=("$build/bench/read_floor" "$names")
  quiet=("$build/pivra-check" -q "--files0-from=$names")
  fairness=("$build/pivra-check" --fairness "--files0-from=$names")
  cat="xargs -0 cat <$names >/dev/null"
  runs=$((n >= 1000000 ? 3 : 10))
  # -i: a fair archive can still be flagged, by chance, with status 1.
  hyperfine -N -i --warmup 1 --runs "$runs" --export-csv "$work/times.csv" \
    -n floor "${floor[*]}" -n "pivra-check -q" "${quiet[*]}" \
    -n "pivra-check --fairness" "${fairness[*]}" -n "xargs -0 cat" "sh -c '$cat'" \
    >/dev/null
  rss() { "$build/bench/peak_rss" "$@" 2>/dev/null | tail -n 1; }
  printf '%s\n' "$(rss "${floor[@]}")" "$(rss "${quiet[@]}")" "$(rss "${fairness[@]}")" \
    "$(rss /bin/sh -c "$cat")" >"$work/rss"
  echo "== $n files ($runs runs each) =="
  printf '%-24s %10s %8s %8s %12s\n' command "mean (s)" "x floor" "user (s)" "peak RSS KiB"
  tail -n +2 "$work/times.csv" | paste -d, - "$work/rss" | awk -F, '
    NR == 1 { floor = $2 }
    { printf "%-24s %10.3f %8.2f %8.3f %12d\n", $1, $2, $2 / floor, $5, $9 }'
  rm -rf "$archive" "$names"
done
