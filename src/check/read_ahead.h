// The files of a run, each read ahead of its check: on a thread of its own in
// builds with threads (Linux), so that the system's reading of the next files
// overlaps the checking of this one; in line elsewhere (Windows), or where the
// environment holds PIVRA_CHECK_READ_IN_LINE (for the tests, which compare both).
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "check/names.h"

namespace pivra {

struct FileRead {
  std::string name;
  uint64_t place;     // among the operands or the list's entries
  std::string bytes;  // as much as judging it takes
  int read_code;      // 0, or the system's error code
};

// Hands each file of `names` to `take`, in order. The list's messages go to
// standard error in their place: before the file they came before, and last.
void ReadEachFile(Names& names, const std::function<void(const FileRead&)>& take);

}  // namespace pivra
