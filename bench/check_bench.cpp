// pivra-check --fairness beside cat over 1,000,000 draw files in a tmpfs (or as
// many as the first argument says): the check must keep up with a disk, so it may
// take at most twice what cat takes to read the same files. The names are too
// many for one command line: pivra-check reads them with --files0-from, cat
// through xargs -0. The last file is a copy of the middle one, which the report
// must name. Reports the time of one check, x_cat, the ratio, the check's peak
// RSS, and whether the copy's line named its original.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "draw_text.h"

namespace {

namespace fs = std::filesystem;

unsigned g_file_count = 1000000;

fs::path g_archive;
fs::path g_list;  // the names, NUL-separated, relative to the archive

std::string FileName(unsigned i) {
  char name[16];
  std::snprintf(name, sizeof name, "%06u", i);
  return name;
}

void MakeArchive() {
  char pattern[] = "/dev/shm/pivra-check-bench-XXXXXX";
  if (mkdtemp(pattern) == nullptr) {
    std::perror("mkdtemp");
    std::exit(1);
  }
  g_archive = pattern;
  g_list = g_archive.string() + ".names";
  std::ofstream list(g_list, std::ios::binary);
  std::mt19937 random(16);
  std::string original;
  for (unsigned i = 0; i < g_file_count; ++i) {
    std::string text = DrawFileText(random);
    if (i == g_file_count / 2) original = text;
    if (i + 1 == g_file_count) text = original;
    list << FileName(i) << '\0';
    std::ofstream(g_archive / FileName(i), std::ios::binary) << text;
  }
}

// Seconds one run of `args` over the archive takes, the list of names as its
// standard input and its output going to `out`; any exit status but `expected` is shown.
double RunOnArchive(std::vector<std::string> args, const char* out = "/dev/null",
                    int expected = 0) {
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  const char* program = argv[0];
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, g_list.c_str(), O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, out, O_WRONLY | O_CREAT | O_TRUNC, 0600);
  const auto start = std::chrono::steady_clock::now();
  pid_t child = 0;
  int status = -1;
  if (posix_spawnp(&child, program, &actions, nullptr, argv.data(), environ) == 0) {
    waitpid(child, &status, 0);
  }
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
  posix_spawn_file_actions_destroy(&actions);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != expected) {
    std::fprintf(stderr, "%s ended with wait status %d\n", program, status);
  }
  return took.count();
}

// The peak RSS that bench/peak_rss printed after the report: spawned from this
// big process, the check would have this one's pages counted as its own. Whether
// the report named the copy's original goes to `named`.
long PeakRssKib(const fs::path& out, bool& named) {
  const std::string copy =
      "skipped " + FileName(g_file_count - 1) + ": a copy of " + FileName(g_file_count / 2);
  std::ifstream in(out);
  std::string line;
  std::string last;
  named = false;
  while (std::getline(in, line)) {
    named = named || line == copy;
    last = line;
  }
  return std::stol(last);
}

void CheckFairnessBesideCat(benchmark::State& bench) {
  double cat = 0;
  double check = 0;
  long rss = 0;
  bool named = true;
  const fs::path out = g_archive.string() + ".out";
  for (auto _ : bench) {
    const double cat_once = RunOnArchive({"xargs", "-0", "cat"});
    // Status 1: the copy is skipped.
    const double check_once = RunOnArchive(
        {PIVRA_PEAK_RSS, PIVRA_CHECK_BINARY, "--fairness", "--files0-from=-"}, out.c_str(), 1);
    bench.SetIterationTime(check_once);
    cat += cat_once;
    check += check_once;
    bool named_once = false;
    rss = std::max(rss, PeakRssKib(out, named_once));
    named = named && named_once;
  }
  fs::remove(out);
  bench.counters["cat_ms"] = 1e3 * cat / static_cast<double>(bench.iterations());
  bench.counters["x_cat"] = check / cat;  // target: 2 at most
  bench.counters["peak_rss_kib"] = static_cast<double>(rss);
  bench.counters["original_named"] = named ? 1 : 0;
}
BENCHMARK(CheckFairnessBesideCat)->UseManualTime()->Iterations(2)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (argc > 1) g_file_count = static_cast<unsigned>(std::strtoul(argv[1], nullptr, 10));
  if (g_file_count < 2) {
    std::fputs("usage: check [benchmark options] [FILE_COUNT, at least 2]\n", stderr);
    return 2;
  }
  MakeArchive();
  // Relative names keep the command line short.
  fs::current_path(g_archive);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  fs::current_path("/");
  fs::remove_all(g_archive);
  fs::remove(g_list);
  return 0;
}
