#include "check/progress.h"

#include <cstdio>
#include <string>

#include "check/system.h"

namespace pivra {
namespace {

constexpr std::chrono::milliseconds FirstDrawAfter{1000};
constexpr std::chrono::milliseconds RedrawEvery{200};

}  // namespace

Progress StartProgress() {
  return {StandardErrorIsTerminal(), std::chrono::steady_clock::now() + FirstDrawAfter, 0};
}

void ShowProgress(Progress& progress, uint64_t read, uint64_t total) {
  if (!progress.on) return;
  const auto now = std::chrono::steady_clock::now();
  if (now < progress.next) return;
  progress.next = now + RedrawEvery;
  std::string line = "pivra-check: " + std::to_string(read);
  if (total != 0) line += " of " + std::to_string(total);
  line += " files read";
  // Spaces cover what is left of a longer line before it.
  if (line.size() < progress.drawn) line.append(progress.drawn - line.size(), ' ');
  (void)std::fprintf(stderr, "\r%s", line.c_str());
  progress.drawn = line.size();
}

void HideProgress(Progress& progress) {
  if (progress.drawn == 0) return;
  (void)std::fprintf(stderr, "\r%s\r", std::string(progress.drawn, ' ').c_str());
  progress.drawn = 0;
}

}  // namespace pivra
