// The work on each file, on every core: workers that each read, check, count
// and fingerprint whole files, handed out in batches by the one thread that reads
// the names and takes the results back in their order.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "check/input/names.h"
#include "check/work/counts.h"
#include "check/work/draw_check.h"
#include "draw/table.h"

namespace pivra {

// One file's name and what its work made of it.
struct FileWork {
  std::string name;
  uint64_t place;        // among the operands or the list's entries
  int read_code;         // 0, or the system's error code
  FileFault fault;       // of a file read: its first fault, none when it is valid
  uint64_t fingerprint;  // of a valid file, where copies are looked for
  DrawTable sets;        // of a valid file
};

// What is done to each file beyond checking it: for a judgement, a valid file is
// counted into `counts` and fingerprinted.
struct WorkToDo {
  FairnessCounts* counts;  // null where nothing is counted
};

// Does the work on each file of `names` and hands it to `take`, in the names'
// order, on this thread, which alone reads the names and prints. Each file is
// read as if in line: one that is not plain regular, or that fails to open, is
// read at its turn, after every file before it. Where `counts` are kept, they
// are the sum of all the files taken, copies included; `take` may count a file
// apart to take it back out.
void WorkOnEachFile(Names& names, const WorkToDo& work, const std::function<void(FileWork&)>& take);

}  // namespace pivra
