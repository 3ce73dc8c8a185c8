// Names read from a list of NUL-separated names, as GNU du's --files0-from reads
// them: an archive too large for one command line is named through find -print0.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace pivra {

struct NameList {
  std::FILE* file;
  std::string name;  // as given: "-" for standard input
  uint64_t entries;  // read so far, empty ones too
  bool faulty;       // an empty name or a read error was reported
};

// Opens the list `name`; false, reported on standard error, when it cannot be.
bool OpenNameList(NameList& list, const char* name);

// The next name; false at the list's end or on a read error. An empty name is
// reported with its position and passed over.
bool NextListedName(NameList& list, std::string& name);

void CloseNameList(NameList& list);

// Reads the list again from `start`, for the names at `places` (0-based entries,
// ascending), which go to `names` in that order. False when it cannot be read
// again (a pipe), or no longer holds as many entries.
bool ListedNamesAt(NameList& list, const std::fpos_t& start, const std::vector<uint64_t>& places,
                   std::vector<std::string>& names);

}  // namespace pivra
