// Names read from a list of NUL-separated names, as GNU du's --files0-from reads
// them: an archive too large for one command line is named through find -print0.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace pivra {

// Faulty entries in a row, or bytes of them, after which a list is taken for
// something else (/dev/zero, or a file of text) and read no further. A real
// list never holds so many in a row.
constexpr unsigned MostFaultyInARow = 100;
constexpr uint64_t MostFaultyBytesInARow = uint64_t{1} << 20U;

struct NameList {
  std::FILE* file;
  std::string name;          // as given: "-" for standard input
  uint64_t most_entries;     // more are not read: what one judgement can tell apart
  uint64_t entries;          // read so far, faulty ones too
  uint64_t skipped;          // faulty entries passed over
  unsigned faulty_in_a_row;  // the faulty entries just before the next one
  uint64_t faulty_bytes;     // and their bytes, NULs included
  bool faulty;               // a faulty entry or a read error was reported
  std::string cut_short;     // why the list was read no further than `entries`, as a clause
  std::string messages;      // for standard error, not yet printed: its reader prints them
};

// Opens the list `name`, of at most `most_entries` entries; false, reported on
// standard error, when it cannot be.
bool OpenNameList(NameList& list, const char* name, uint64_t most_entries = UINT64_MAX);

// The next name; false at the list's end, on a read error, or once the list has
// been given up or holds more entries than it may. A faulty entry (an empty name,
// or one longer than the system takes) is reported with its position and passed
// over; it never takes more memory than the longest name. Its messages wait in
// `messages`.
bool NextListedName(NameList& list, std::string& name);

void CloseNameList(NameList& list);

// That a list's names end with NUL bytes: for a list of lines, which reads as
// one name holding newlines.
extern const char* const NamesEndWithNul;

// Reads the list again from `start`, for the names at `places` (0-based entries,
// ascending), which go to `names` in that order. False when it cannot be read
// again (a pipe), or no longer holds as many entries.
bool ListedNamesAt(NameList& list, const std::fpos_t& start, const std::vector<uint64_t>& places,
                   std::vector<std::string>& names);

}  // namespace pivra
