// A line on standard error that shows how far a long judgement has come: drawn
// only on a terminal, and only once the run has taken about a second.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>

namespace pivra {

struct Progress {
  bool on;                                     // standard error is a terminal
  std::chrono::steady_clock::time_point next;  // when the line is next drawn
  std::size_t drawn;                           // characters of the line now shown
};

Progress StartProgress();

// Files read so far, of `total`; a total of 0 is not known.
void ShowProgress(Progress& progress, uint64_t read, uint64_t total);

// Wipes the line, so that a message or the report starts on a clean one.
void HideProgress(Progress& progress);

}  // namespace pivra
