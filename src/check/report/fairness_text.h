// A judgement of many draw files: what became of them, its exit status, and the
// text report on standard output.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "check/judgement/fairness.h"
#include "check/report/skipped.h"

namespace pivra {

struct Judgement {
  FairnessReport report;
  std::size_t counted;
  SkippedFiles skipped;    // not valid, or copies of files counted
  std::size_t unreadable;  // reported on standard error
  bool list_faulty;        // the list of names had a faulty entry or could not be read
  bool picture_failed;     // the picture could not be written
  uint64_t names_read;     // the names judged: all of them unless `cut_short` says why not
  std::string cut_short;   // why the list was read no further, "" when it was read to its end
};

// The exit status a judgement earns: every report of it says the same.
int JudgementStatus(const Judgement& judgement);

// Prints the report, and last, when the exit status is not the verdict's
// alone, why it is 1 or 2.
void PrintFairness(Judgement& judgement);

}  // namespace pivra
