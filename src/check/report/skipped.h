// The files a judgement skipped, kept in their order for the report: in memory
// up to a bound, beyond it in an unnamed temporary file, so that memory stays
// flat however many are skipped and however long their names.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace pivra {

// Bytes appended in turn and read back by where they start.
struct Spool {
  std::size_t bound;  // kept in memory; the rest goes to `file`
  std::string kept;
  std::FILE* file;  // made when first needed
  uint64_t size;    // all appended
  int error;        // why `file` could not be made or written: what follows is lost
};

struct SkippedFiles {
  Spool lines;                      // each file's name, and its fault or its original's place
  uint64_t count;                   // skipped, lost ones too
  uint64_t lost;                    // whose line no temporary file could take
  std::vector<uint64_t> originals;  // the places copies copy, ascending, once each
  Spool original_names;             // theirs, in that order, where found again
  std::vector<uint64_t> name_ends;  // where each one's ends in `original_names`
};

// The bound, of each spool: 8 MiB, or PIVRA_CHECK_SKIPPED_IN_MEMORY bytes for the tests.
void StartSkipped(SkippedFiles& skipped);

// A file left out: `fault` says why, or is empty for a copy of the file at `original`.
void AddSkipped(SkippedFiles& skipped, std::string_view name, std::string_view fault,
                uint64_t original);

// The places that copies copy, ascending, once each, to be named by `NameOriginal`.
std::vector<uint64_t> CopiedPlaces(SkippedFiles& skipped);

// The name of each place CopiedPlaces gave, in order: empty where it was not found again.
void NameOriginal(SkippedFiles& skipped, std::string_view name);

// Each kept file in order: its name, its fault, and for a copy (no fault) its
// original's place and name, empty where none was found.
void EachSkipped(
    SkippedFiles& skipped,
    const std::function<void(std::string_view name, std::string_view fault, uint64_t original,
                             std::string_view original_name)>& take);

void EndSkipped(SkippedFiles& skipped);

}  // namespace pivra
