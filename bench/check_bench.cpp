// pivra-check --fairness beside cat over 100,000 draw files in a tmpfs: the check
// must keep up with a disk, so it may take at most twice what cat takes to read
// the same files. Reports the time of one check and x_cat, the ratio.
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

constexpr unsigned FileCount = 100000;

fs::path g_archive;
std::vector<std::string> g_names;  // short, so that all fit on one command line

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
  std::mt19937 random(16);
  for (unsigned i = 0; i < FileCount; ++i) {
    char name[8];
    std::snprintf(name, sizeof name, "%05u", i);
    g_names.emplace_back(name);
    std::ofstream(g_archive / name, std::ios::binary) << DrawFileText(random);
  }
}

// Seconds one run of `program` on every file takes, its output thrown away.
double RunOnArchive(const char* program, const std::vector<std::string>& options) {
  std::vector<char*> argv{const_cast<char*>(program)};
  for (const std::string& option : options) argv.push_back(const_cast<char*>(option.c_str()));
  for (std::string& name : g_names) argv.push_back(name.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
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

void CheckFairnessBesideCat(benchmark::State& bench) {
  double cat = 0;
  double check = 0;
  for (auto _ : bench) {
    const double cat_once = RunOnArchive("cat", {});
    const double check_once = RunOnArchive(PIVRA_CHECK_BINARY, {"--fairness"});
    bench.SetIterationTime(check_once);
    cat += cat_once;
    check += check_once;
  }
  bench.counters["cat_ms"] = 1e3 * cat / static_cast<double>(bench.iterations());
  bench.counters["x_cat"] = check / cat;  // target: 2 at most
}
BENCHMARK(CheckFairnessBesideCat)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

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
  return 0;
}
