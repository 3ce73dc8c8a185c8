// The names a run checks: its operands, or the entries of its list.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "check/command/arguments.h"
#include "check/input/name_list.h"

namespace pivra {

struct Names {
  const std::vector<const char*>* operands;
  std::size_t next;
  NameList list;
  bool from_list;
  bool rereadable;  // the list can be read again, from `list_start`
  std::fpos_t list_start;
};

// False, reported on standard error, when the list cannot be opened. A list
// holds at most `most_names` entries.
bool OpenNames(Names& names, const Options& options, uint64_t most_names = UINT64_MAX);

// The next name, and its 0-based place among the operands or the list's entries.
bool NextName(Names& names, std::string& name, uint64_t& place);

// Closes the list; true when it had a fault, which is a usage error.
bool CloseNames(Names& names);

}  // namespace pivra
