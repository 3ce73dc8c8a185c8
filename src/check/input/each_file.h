// The files of a run, each read in turn and handed on with the list's messages
// in their place.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "check/input/names.h"

namespace pivra {

struct FileRead {
  std::string name;
  uint64_t place;          // among the operands or the list's entries
  std::string_view bytes;  // as much as judging it takes
  int read_code;           // 0, or the system's error code
};

// Prints the list's messages waiting in `messages` on standard error, and clears them.
void PrintListMessages(std::string& messages);

// Hands each file of `names` to `take`, in order. The list's messages go to
// standard error in their place: before the file they came before, and last.
void ReadEachFile(Names& names, const std::function<void(const FileRead&)>& take);

}  // namespace pivra
