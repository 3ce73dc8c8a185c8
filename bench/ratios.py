"""The table of ratios that scripts/bench.sh prints: hyperfine's medians against the
floor, callgrind's instruction counts, peak RSS, the static programs against the
dynamic ones, and the generator against the reference.

    python3 bench/ratios.py RESULTS BUILD

RESULTS is the folder of bench.sh's measurements (hyperfine's and Google
Benchmark's JSON, callgrind's logs), BUILD the Release build with the benchmarks;
its static twin is BUILD-static.
"""
import json, os, re, statistics, subprocess, sys
results, build = sys.argv[1], sys.argv[2]

def medians(name):
    data = json.load(open(os.path.join(results, name)))["results"]
    return {r["command"]: statistics.median(r["times"]) for r in data}

def instructions(program):
    text = open(os.path.join(results, program + ".valgrind")).read()
    return int(re.search(r"Collected : (\d+)", text).group(1))

def peak_rss_kib(binary, runs=50):
    helper = os.path.join(build, "bench", "peak_rss")
    return statistics.median(
        int(subprocess.run([helper, binary], capture_output=True, text=True).stdout)
        for _ in range(runs))

def benchmark_rate(name, which):
    data = json.load(open(os.path.join(results, name)))["benchmarks"]
    for b in data:
        if b["run_name"] == which and b.get("aggregate_name") == "median":
            return b.get("items_per_second") or 1e9 / b["real_time"]
    raise KeyError(which)

fast, peers, check = medians("fast.json"), medians("peers.json"), medians("check.json")
floor_time = fast["floor"]
rss = {"pivra": peak_rss_kib(os.path.join(build, "pivra")),
       "floor": peak_rss_kib(os.path.join(build, "bench", "floor"))}
count = {"pivra": instructions("pivra"), "floor": instructions("floor")}

print()
print("| command | median | x floor | instructions | peak RSS | x floor |")
print("|---|---|---|---|---|---|")
for name in ["floor", "pivra"]:
    print(f"| {name} | {fast[name]*1e3:.2f} ms | {fast[name]/floor_time:.2f} | "
          f"{count[name]/1e6:.2f} M | {rss[name]:.0f} KiB | {rss[name]/rss['floor']:.2f} |")
peer_floor = peers["floor"]
for name in ["shell script", "python3 script"]:
    print(f"| {name} | {peers[name]*1e3:.1f} ms | {peers[name]/peer_floor:.0f} | | | |")
print()
# Each speed-up divides two ratios to the floor of their own hyperfine run.
pivra_ratio = fast["pivra"] / floor_time
for name, target in [("shell script", 50), ("python3 script", 10)]:
    print(f"pivra is {peers[name] / peer_floor / pivra_ratio:.0f}x faster than the {name} "
          f"(target {target}x)")
print()
# On a busy machine the wall time swings with the scheduler; the processor time
# (user and system, hyperfine's means) is what the program itself costs.
def cpu_times(name):
    data = json.load(open(os.path.join(results, name)))["results"]
    return {r["command"]: r["user"] + r["system"] for r in data}

print("| static against dynamic | stripped size | median | x dynamic | user+system | x dynamic |")
print("|---|---|---|---|---|---|")
for name, json_name, times in [("pivra", "fast.json", fast), ("pivra-check", "check.json", check)]:
    cpu = cpu_times(json_name)
    for kind, folder in [("", build), (" static", build + "-static")]:
        stripped = os.path.join(results, name + kind.strip())
        subprocess.run(["strip", "-o", stripped, os.path.join(folder, name)], check=True)
        print(f"| {name}{kind} | {os.path.getsize(stripped):,} B | "
              f"{times[name + kind]*1e3:.2f} ms | {times[name + kind]/times[name]:.2f} | "
              f"{cpu[name + kind]*1e3:.2f} ms | {cpu[name + kind]/cpu[name]:.2f} |")
print()
g = lambda which: benchmark_rate("generator.json", which)
print(f"IsaacNext / reference per output: {g('ReferenceNext')/g('IsaacNext'):.3f} (target 1.05); "
      f"refill: {g('ReferenceRefill')/g('IsaacRefill'):.3f} (target 1.00)")
print(f"targets: instructions {count['pivra']/1e6:.2f} M (<= 19.0 M), "
      f"time {fast['pivra']/floor_time:.2f}x floor (<= 4.5), "
      f"RSS {rss['pivra']/rss['floor']:.2f}x floor (<= 1.4)")
