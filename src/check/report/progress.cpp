#include "check/report/progress.h"

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>

#include "check/input/system.h"

namespace pivra {
namespace {

constexpr std::chrono::milliseconds FirstDrawAfter{1000};
constexpr std::chrono::milliseconds RedrawEvery{200};

using Clock = std::chrono::steady_clock;

// One line for the one judgement of a run.
struct Progress {
  bool on;            // standard error is a terminal
  Clock::rep next;    // when the line is next drawn, in the clock's ticks
  std::size_t drawn;  // characters of the line now shown
};
Progress g_progress{};

Clock::rep Ticks(Clock::duration after = {}) {
  return (Clock::now() + after).time_since_epoch().count();
}

}  // namespace

void StartProgress() { g_progress = {StandardErrorIsTerminal(), Ticks(FirstDrawAfter), 0}; }

void ShowProgress(uint64_t read, uint64_t total) {
  if (!g_progress.on) return;
  if (Ticks() < g_progress.next) return;
  g_progress.next = Ticks(RedrawEvery);
  std::string line = "pivra-check: " + std::to_string(read);
  if (total != 0) line += " of " + std::to_string(total);
  line += " files read";
  // Spaces cover what is left of a longer line before it.
  if (line.size() < g_progress.drawn) line.append(g_progress.drawn - line.size(), ' ');
  (void)std::fprintf(stderr, "\r%s", line.c_str());
  g_progress.drawn = line.size();
}

void HideProgress() {
  if (g_progress.drawn == 0) return;
  (void)std::fprintf(stderr, "\r%s\r", std::string(g_progress.drawn, ' ').c_str());
  g_progress.drawn = 0;
}

}  // namespace pivra
