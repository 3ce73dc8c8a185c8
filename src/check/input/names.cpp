#include "check/input/names.h"

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "check/input/files.h"
#include "check/input/system.h"
#include "check/report/progress.h"

namespace pivra {
namespace {

constexpr std::size_t BufferSize = std::size_t{1} << 16U;

// A message of the list's, in its place among those of the files.
void Say(const Settle& settle, const std::string& text) {
  if (settle) settle();
  HideProgress();
  (void)std::fprintf(stderr, "pivra-check: %s\n", text.c_str());
}

enum class EntryEnd : uint8_t { Nul, End, Cut, Error };

// More of the list into its buffer; false at its end or on a read error (errno set).
bool Refill(Names& names, const Settle& settle) {
  if (settle && ReadMayWait(names.list)) settle();
  names.at = 0;
  names.end = 0;
  errno = 0;
  const long got = ReadSome(names.list, names.buffer.data(), names.buffer.size());
  if (got <= 0) return false;
  names.end = static_cast<std::size_t>(got);
  return true;
}

// Reads an entry up to its NUL into `name`, at most LongestName() bytes of it,
// and passes over the rest; `length` is its whole length. An entry that runs
// past what a list may hold in faults is cut at the byte that does.
EntryEnd ReadEntry(Names& names, std::string& name, uint64_t& length, const Settle& settle) {
  const std::size_t longest = LongestName();
  const uint64_t room = MostFaultyBytesInARow - std::min(MostFaultyBytesInARow, names.faulty_bytes);
  const uint64_t cut_at = std::max(uint64_t{longest} + 1, room);
  name.clear();
  length = 0;
  for (;;) {
    if (names.at == names.end && !Refill(names, settle)) {
      return errno != 0 ? EntryEnd::Error : EntryEnd::End;
    }
    const char* from = names.buffer.data() + names.at;
    const auto* nul = static_cast<const char*>(std::memchr(from, '\0', names.end - names.at));
    const std::size_t stop =
        nul != nullptr ? static_cast<std::size_t>(nul - from) : names.end - names.at;
    const bool cut = length + stop >= cut_at;
    const std::size_t taken = cut ? static_cast<std::size_t>(cut_at - length) : stop;
    if (name.size() < longest) name.append(from, std::min(taken, longest - name.size()));
    length += taken;
    names.at += taken;
    if (cut) return EntryEnd::Cut;
    if (nul != nullptr) {
      ++names.at;
      return EntryEnd::Nul;
    }
  }
}

// Reports the faulty entry just read (`kept`: its first bytes); false when the
// list is given up with it.
bool PassOverFaulty(Names& names, const std::string& kept, uint64_t length, bool cut,
                    const Settle& settle) {
  const std::string list = EscapedName(names.list_name);
  const std::string where = list + ":" + std::to_string(names.entries);
  if (length == 0) {
    Say(settle, where + ": an empty file name");
  } else {
    Say(settle, where + ": a name longer than " + std::to_string(LongestName()) + " bytes");
    if (kept.find('\n') != std::string::npos) Say(settle, NamesEndWithNul);
  }
  names.faulty = true;
  ++names.skipped;
  ++names.faulty_in_a_row;
  names.faulty_bytes += length + 1;
  if (!cut && names.faulty_in_a_row < MostFaultyInARow) return true;
  const std::string why =
      cut ? "a megabyte of faulty entries" : std::to_string(MostFaultyInARow) + " faulty entries";
  Say(settle, list + ": not a list of names: " + why + " in a row; read no further than entry " +
                  std::to_string(names.entries) +
                  "; faulty entries skipped: " + std::to_string(names.skipped));
  names.cut_short = "it was given up after " + why + " in a row";
  return false;
}

bool NextListedName(Names& names, std::string& name, const Settle& settle) {
  while (names.cut_short.empty()) {
    uint64_t length = 0;
    const EntryEnd end = ReadEntry(names, name, length, settle);
    if (end == EntryEnd::Error) {
      const int code = LastError();
      Say(settle, EscapedName(names.list_name) + ": read error after entry " +
                      std::to_string(names.entries) + ": " + std::strerror(code));
      names.cut_short = "a read error ended it";
      names.faulty = true;
      return false;
    }
    // The last name may lack its NUL.
    if (end == EntryEnd::End && length == 0) {
      // A list that names nothing checks nothing, which must not pass as success.
      if (names.entries == 0) {
        Say(settle, EscapedName(names.list_name) + ": no file names in the list");
        names.faulty = true;
      }
      return false;
    }
    if (++names.entries > names.most_entries) {  // a list of billions
      Say(settle,
          "more than " + std::to_string(names.most_entries) + " names: too many for one judgement");
      names.cut_short = "one judgement takes no more";
      names.entries = names.most_entries;  // the one beyond is not judged
      names.faulty = true;
      return false;
    }
    if (length != 0 && length <= LongestName()) {
      names.faulty_in_a_row = 0;
      names.faulty_bytes = 0;
      return true;
    }
    if (!PassOverFaulty(names, name, length, end == EntryEnd::Cut, settle)) return false;
  }
  return false;
}

}  // namespace

bool OpenNames(Names& names, const std::vector<const char*>& operands, const char* list,
               uint64_t most_entries) {
  names = {};
  names.operands = &operands;
  names.from_list = list != nullptr;
  names.list = -1;
  names.most_entries = most_entries;
  if (!names.from_list) return true;
  names.list_name = list;
  errno = 0;
  if (names.list_name == "-") {
    ReadStandardInputAsBytes();
    names.list = 0;
  } else {
    names.list = OpenToRead(list);
  }
  if (names.list < 0) {
    (void)std::fprintf(stderr, "pivra-check: cannot read the list of names %s: %s\n",
                       EscapedName(names.list_name).c_str(), std::strerror(LastError()));
    names.faulty = true;
    return false;
  }
  // Standard input may start inside its file; a pipe has no position to return to.
  names.rereadable = Tell(names.list, names.start);
  names.buffer.resize(BufferSize);
  return true;
}

bool NextName(Names& names, std::string& name, uint64_t& place, const Settle& settle) {
  if (names.from_list) {
    if (!NextListedName(names, name, settle)) return false;
    place = names.entries - 1;
    return true;
  }
  if (names.next_operand == names.operands->size()) return false;
  place = names.next_operand;
  name = (*names.operands)[names.next_operand++];
  return true;
}

bool CloseNames(Names& names) {
  if (!names.from_list) return false;
  if (names.list > 0) CloseFile(names.list);
  names.list = -1;
  return names.faulty;
}

const char* const NamesEndWithNul = "names in the list end with a NUL byte (find -print0)";

bool ListedNamesAt(Names& names, const std::vector<uint64_t>& places,
                   const std::function<void(const std::string&)>& found) {
  // Longer than any name a system opens; the caller checks what a name opens.
  constexpr std::size_t LongestKept = std::size_t{1} << 16U;
  if (!names.rereadable || names.list < 0 || !SeekTo(names.list, names.start)) return false;
  names.at = names.end = 0;
  uint64_t entry = 0;
  for (const uint64_t place : places) {
    std::string name;
    for (; entry <= place; ++entry) {
      for (bool ended = false; !ended;) {
        if (names.at == names.end && !Refill(names, {})) {
          if (entry < place || errno != 0) return false;
          break;
        }
        const char* from = names.buffer.data() + names.at;
        const auto* nul = static_cast<const char*>(std::memchr(from, '\0', names.end - names.at));
        const std::size_t stop =
            nul != nullptr ? static_cast<std::size_t>(nul - from) : names.end - names.at;
        if (entry == place && name.size() < LongestKept) {
          name.append(from, std::min(stop, LongestKept - name.size()));
        }
        names.at += stop;
        if (nul != nullptr) {
          ++names.at;
          ended = true;
        }
      }
    }
    found(name);
  }
  return true;
}

}  // namespace pivra
