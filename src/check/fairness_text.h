// The judgement of many draw files as the text report on standard output.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "check/fairness.h"

namespace pivra {

// What became of the files of a judgement.
struct JudgedFiles {
  std::size_t counted;
  std::vector<std::string> skipped;  // "NAME: why": not valid, or a copy
  std::size_t unreadable;            // reported on standard error
  bool list_faulty;                  // the list of names had an empty one or could not be read
  bool picture_failed;               // the picture could not be written
};

// Prints the report, and last, when the exit status is not the verdict's
// alone, why it is 1 or 2. True when the report finds nothing against the draws.
bool PrintFairness(const FairnessReport& report, const JudgedFiles& files);

}  // namespace pivra
