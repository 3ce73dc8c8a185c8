#include "check/input/name_list.h"

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "check/input/files.h"
#include "check/input/system.h"

namespace pivra {
namespace {

// Messages wait in the list until its reader prints them, in their place among
// those of the files.
void Say(NameList& list, const std::string& text) {
  list.messages += "pivra-check: ";
  list.messages += text;
  list.messages += '\n';
}

// Reads an entry up to its NUL into `name`, at most `longest` bytes of it, and
// skips the rest; `length` is its whole length. Returns the byte that ended it:
// NUL, EOF, or, for an entry that runs past what a list may hold in faults, its
// last byte read.
int ReadEntry(NameList& list, std::string& name, uint64_t& length) {
  const std::size_t longest = LongestName();
  name.clear();
  length = 0;
  int c = 0;
  while ((c = std::getc(list.file)) != EOF && c != '\0') {
    if (++length <= longest) {
      name += static_cast<char>(c);
    } else if (list.faulty_bytes + length >= MostFaultyBytesInARow) {
      break;
    }
  }
  return c;
}

// Reports the faulty entry just read (`kept`: its first bytes); false when the
// list is given up with it.
bool PassOverFaulty(NameList& list, const std::string& kept, uint64_t length, bool cut) {
  const std::string where = EscapedName(list.name) + ":" + std::to_string(list.entries);
  if (length == 0) {
    Say(list, where + ": an empty file name");
  } else {
    Say(list, where + ": a name longer than " + std::to_string(LongestName()) + " bytes");
    if (kept.find('\n') != std::string::npos) Say(list, NamesEndWithNul);
  }
  list.faulty = true;
  ++list.skipped;
  ++list.faulty_in_a_row;
  list.faulty_bytes += length + 1;
  if (!cut && list.faulty_in_a_row < MostFaultyInARow) return true;
  const std::string why =
      cut ? "a megabyte of faulty entries" : std::to_string(MostFaultyInARow) + " faulty entries";
  Say(list, EscapedName(list.name) + ": not a list of names: " + why +
                " in a row; read no further than entry " + std::to_string(list.entries) +
                "; faulty entries skipped: " + std::to_string(list.skipped));
  list.cut_short = "it was given up after " + why + " in a row";
  return false;
}

}  // namespace

bool OpenNameList(NameList& list, const char* name, uint64_t most_entries) {
  list = {nullptr, name, most_entries, 0, 0, 0, 0, false, {}, {}};
  errno = 0;
  list.file = list.name == "-" ? stdin : std::fopen(name, "rb");
  if (list.file == stdin) ReadStandardInputAsBytes();
  if (list.file != nullptr) return true;
  (void)std::fprintf(stderr, "pivra-check: cannot read the list of names %s: %s\n",
                     EscapedName(list.name).c_str(), std::strerror(LastError()));
  list.faulty = true;
  return false;
}

bool NextListedName(NameList& list, std::string& name) {
  while (list.cut_short.empty()) {
    errno = 0;
    uint64_t length = 0;
    const int end = ReadEntry(list, name, length);
    if (end == EOF && std::ferror(list.file) != 0) {
      Say(list, EscapedName(list.name) + ": read error after entry " +
                    std::to_string(list.entries) + ": " + std::strerror(LastError()));
      list.cut_short = "a read error ended it";
      list.faulty = true;
      return false;
    }
    // The last name may lack its NUL.
    if (end == EOF && length == 0) {
      // A list that names nothing checks nothing, which must not pass as success.
      if (list.entries == 0) {
        Say(list, EscapedName(list.name) + ": no file names in the list");
        list.faulty = true;
      }
      return false;
    }
    if (++list.entries > list.most_entries) {  // a list of billions
      Say(list,
          "more than " + std::to_string(list.most_entries) + " names: too many for one judgement");
      list.cut_short = "one judgement takes no more";
      list.entries = list.most_entries;  // the one beyond is not judged
      list.faulty = true;
      return false;
    }
    if (length != 0 && length <= LongestName()) {
      list.faulty_in_a_row = 0;
      list.faulty_bytes = 0;
      return true;
    }
    if (!PassOverFaulty(list, name, length, end != EOF && end != '\0')) return false;
  }
  return false;
}

const char* const NamesEndWithNul = "names in the list end with a NUL byte (find -print0)";

void CloseNameList(NameList& list) {
  if (list.file != nullptr && list.file != stdin) (void)std::fclose(list.file);  // read only
  list.file = nullptr;
}

bool ListedNamesAt(NameList& list, const std::fpos_t& start, const std::vector<uint64_t>& places,
                   std::vector<std::string>& names) {
  // Longer than any name a system opens; the caller checks what a name opens.
  constexpr std::size_t LongestKept = std::size_t{1} << 16U;
  if (std::fsetpos(list.file, &start) != 0) return false;
  uint64_t entry = 0;
  for (const uint64_t place : places) {
    std::string name;
    for (int c = 0; entry <= place; ++entry) {
      while ((c = std::getc(list.file)) != EOF && c != '\0') {
        if (entry == place && name.size() < LongestKept) name += static_cast<char>(c);
      }
      if (c == EOF && (entry < place || std::ferror(list.file) != 0)) return false;
    }
    names.push_back(std::move(name));
  }
  return true;
}

}  // namespace pivra
