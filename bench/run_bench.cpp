// The whole run in process, beside the one system request it cannot do without.
#include <benchmark/benchmark.h>
#include <sys/random.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "run/draw_run.h"

namespace {

namespace fs = std::filesystem;

void SystemRequest(benchmark::State& bench) {
  unsigned char bytes[pivra::SeedBlockSize];
  for (auto _ : bench) {
    if (getrandom(bytes, sizeof bytes, 0) != static_cast<ssize_t>(sizeof bytes)) {
      bench.SkipWithError("getrandom failed");
      break;
    }
    benchmark::DoNotOptimize(bytes);
  }
}

void WholeRun(benchmark::State& bench) {
  // A tmpfs, where the flush costs nothing, so the figure is the run's own.
  char pattern[] = "/dev/shm/pivra-bench-XXXXXX";
  char fallback[] = "/tmp/pivra-bench-XXXXXX";
  const char* dir = mkdtemp(pattern);
  if (dir == nullptr) dir = mkdtemp(fallback);
  const fs::path previous = fs::current_path();
  if (dir == nullptr || chdir(dir) != 0) {
    bench.SkipWithError("no temporary directory");
    return;
  }
  for (auto _ : bench) {
    pivra::RunDraw();  // a failure ends the process with its report
    bench.PauseTiming();
    std::remove(pivra::g_draw_file.name);
    bench.ResumeTiming();
  }
  fs::current_path(previous);
  fs::remove_all(dir);
}

}  // namespace

BENCHMARK(SystemRequest)->Unit(benchmark::kMicrosecond);
BENCHMARK(WholeRun)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
