// The names a run checks, one at a time: its operands, or the entries of a list
// of NUL-separated names, as GNU du's --files0-from reads them (an archive too
// large for one command line is named through find -print0).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace pivra {

// Faulty entries in a row, or bytes of them, after which a list is taken for
// something else (/dev/zero, or a file of text) and read no further. A real
// list never holds so many in a row.
constexpr unsigned MostFaultyInARow = 100;
constexpr uint64_t MostFaultyBytesInARow = uint64_t{1} << 20U;

struct Names {
  const std::vector<const char*>* operands;  // where there is no list
  std::size_t next_operand;
  bool from_list;
  // The list:
  std::string list_name;     // as given: "-" for standard input
  int list;                  // its descriptor
  uint64_t most_entries;     // more are not read: what one judgement can tell apart
  uint64_t entries;          // read so far, faulty ones too
  uint64_t skipped;          // faulty entries passed over
  unsigned faulty_in_a_row;  // the faulty entries just before the next one
  uint64_t faulty_bytes;     // and their bytes, NULs included
  bool faulty;               // a faulty entry or a read error was reported
  std::string cut_short;     // why the list was read no further than `entries`, as a clause
  bool rereadable;           // the list can be read again, from `start`
  int64_t start;
  std::vector<char> buffer;  // bytes read from the list, of which [at, end) are not yet taken
  std::size_t at;
  std::size_t end;
};

// Before the list prints a message or waits for its writer: what was read
// before is then to be reported first.
using Settle = std::function<void()>;

// Names from `operands`, or from the list `list` where it is not null, of at most
// `most_entries` entries. False, reported on standard error, when the list cannot
// be opened.
bool OpenNames(Names& names, const std::vector<const char*>& operands, const char* list,
               uint64_t most_entries = UINT64_MAX);

// The next name and its 0-based place among the operands or the list's entries;
// false at the end, on a read error, or once the list has been given up or holds
// more entries than it may. A faulty entry (an empty name, or one longer than
// the system takes) is reported with its position and passed over; it never
// takes more memory than the longest name.
bool NextName(Names& names, std::string& name, uint64_t& place, const Settle& settle = {});

// Closes the list; true when it had a fault, which is a usage error.
bool CloseNames(Names& names);

// That a list's names end with NUL bytes: for a list of lines, which reads as
// one name holding newlines.
extern const char* const NamesEndWithNul;

// Reads the list again from its start, for the names at `places` (0-based
// entries, ascending), which go to `found` in that order. False when it cannot
// be read again (a pipe), or no longer holds as many entries.
bool ListedNamesAt(Names& names, const std::vector<uint64_t>& places,
                   const std::function<void(const std::string&)>& found);

}  // namespace pivra
