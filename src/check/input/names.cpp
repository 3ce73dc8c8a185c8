#include "check/input/names.h"

#include <cstdint>
#include <cstdio>
#include <string>

#include "check/command/arguments.h"
#include "check/input/name_list.h"

namespace pivra {

bool OpenNames(Names& names, const Options& options, uint64_t most_names) {
  names = {&options.files, 0, {}, options.files0_from != nullptr, false, {}};
  if (!names.from_list) return true;
  if (!OpenNameList(names.list, options.files0_from, most_names)) return false;
  // Standard input may start inside its file; a pipe has no position to return to.
  names.rereadable = std::fgetpos(names.list.file, &names.list_start) == 0;
  return true;
}

bool NextName(Names& names, std::string& name, uint64_t& place) {
  if (names.from_list) {
    if (!NextListedName(names.list, name)) return false;
    place = names.list.entries - 1;
    return true;
  }
  if (names.next == names.operands->size()) return false;
  place = names.next;
  name = (*names.operands)[names.next++];
  return true;
}

bool CloseNames(Names& names) {
  if (!names.from_list) return false;
  CloseNameList(names.list);
  return names.list.faulty;
}

}  // namespace pivra
