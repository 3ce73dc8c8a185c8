// pivra-check --fairness beside cat over 1,000,000 draw files in a tmpfs: the check
// must keep up with a disk, so it may take at most twice what cat takes to read
// the same files. The names are too many for one command line: pivra-check reads
// them with --files0-from, cat through xargs -0. Reports the time of one check,
// x_cat, the ratio, and the check's peak RSS.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "run/draw_file.h"
#include "run/draw_table.h"

namespace {

namespace fs = std::filesystem;

constexpr unsigned FileCount = 1000000;

fs::path g_archive;
fs::path g_list;  // the names, NUL-separated, relative to the archive

// A valid draw file from a seeded std::mt19937, formatted by pivra's own code.
std::string DrawFileText(std::mt19937& random) {
  pivra::DrawTable table{};
  std::string text = std::string(pivra::SeparatorLine) + "\r\n";
  for (unsigned row = 0; row < pivra::RowCount; ++row) {
    uint8_t* numbers = pivra::TableRow(table, row);
    pivra::FillAscending(numbers, pivra::RowLength);
    std::shuffle(numbers, numbers + pivra::RowLength, random);
    for (unsigned set = 0; set < pivra::SetsPerBlock; ++set) {
      uint8_t* set_numbers = numbers + set * pivra::SetSize;
      pivra::SortSet(set_numbers, pivra::SetSize);
      char line[3 * pivra::SetSize];
      text.append(line, pivra::FormatSet(set_numbers, pivra::SetSize, line));
      text += "\r\n";
    }
    text += std::string(pivra::SeparatorLine) + "\r\n";
  }
  return text;
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
  for (unsigned i = 0; i < FileCount; ++i) {
    char name[8];
    std::snprintf(name, sizeof name, "%06u", i);
    list << name << '\0';
    std::ofstream(g_archive / name, std::ios::binary) << DrawFileText(random);
  }
}

// Seconds one run of `args` over the archive takes, the list of names as its
// standard input and its output going to `out`.
double RunOnArchive(std::vector<std::string> args, const char* out = "/dev/null") {
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
  if (status != 0) std::fprintf(stderr, "%s exited with status %d\n", program, status);
  return took.count();
}

// The peak RSS that bench/peak_rss printed after the report: spawned from this
// big process, the check would have this one's pages counted as its own.
long PeakRssKib(const fs::path& out) {
  std::ifstream in(out);
  std::string line;
  std::string last;
  while (std::getline(in, line)) last = line;
  return std::stol(last);
}

void CheckFairnessBesideCat(benchmark::State& bench) {
  double cat = 0;
  double check = 0;
  long rss = 0;
  const fs::path out = g_archive.string() + ".out";
  for (auto _ : bench) {
    const double cat_once = RunOnArchive({"xargs", "-0", "cat"});
    const double check_once = RunOnArchive(
        {PIVRA_PEAK_RSS, PIVRA_CHECK_BINARY, "--fairness", "--files0-from=-"}, out.c_str());
    bench.SetIterationTime(check_once);
    cat += cat_once;
    check += check_once;
    rss = std::max(rss, PeakRssKib(out));
  }
  fs::remove(out);
  bench.counters["cat_ms"] = 1e3 * cat / static_cast<double>(bench.iterations());
  bench.counters["x_cat"] = check / cat;  // target: 2 at most
  bench.counters["peak_rss_kib"] = static_cast<double>(rss);
}
BENCHMARK(CheckFairnessBesideCat)->UseManualTime()->Iterations(2)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
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
